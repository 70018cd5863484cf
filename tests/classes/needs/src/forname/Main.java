import javax.microedition.lcdui.*;
import javax.microedition.midlet.*;
public class Main extends MIDlet {
    protected void pauseApp() {}
    protected void destroyApp(boolean unconditional) {}
    protected void startApp() {
        Displayable shown = new Form("Start");
        try {
            Class.forName("com.nokia.mid.ui.DeviceControl");
            shown = (Displayable) Class.forName("extra.Extra").newInstance();
        } catch (Exception e) {
        }
        Display.getDisplay(this).setCurrent(shown);
    }
}
