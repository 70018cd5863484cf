import javax.microedition.lcdui.*;
import javax.microedition.midlet.*;
public class Main extends MIDlet {
    protected void pauseApp() {}
    protected void destroyApp(boolean unconditional) {}
    protected void startApp() {
        Form form = new Form("Wuerfel");
        form.append(String.valueOf(new java.util.Random().nextInt(6) + 1));
        Display.getDisplay(this).setCurrent(form);
    }
}
