import javax.microedition.lcdui.*;
import javax.microedition.midlet.*;
public class Main extends MIDlet {
    protected void pauseApp() {}
    protected void destroyApp(boolean unconditional) {}
    private float speed = 1.5f;
    protected void startApp() {
        speed = speed * 2.0f;
        Form form = new Form("Tempo");
        form.append(String.valueOf((int) speed));
        Display.getDisplay(this).setCurrent(form);
    }
}
