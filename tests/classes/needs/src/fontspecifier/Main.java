import javax.microedition.lcdui.*;
import javax.microedition.midlet.*;
public class Main extends MIDlet {
    protected void pauseApp() {}
    protected void destroyApp(boolean unconditional) {}
    protected void startApp() {
        Font font = Font.getFont(0);
        Form form = new Form("Schrift");
        form.append(String.valueOf(font.getHeight()));
        Display.getDisplay(this).setCurrent(form);
    }
}
