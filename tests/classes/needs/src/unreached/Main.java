import javax.microedition.lcdui.*;
import javax.microedition.midlet.*;
public class Main extends MIDlet {
    protected void pauseApp() {}
    protected void destroyApp(boolean unconditional) {}
    protected void startApp() { Display.getDisplay(this).setCurrent(new Form("Start")); }
}
