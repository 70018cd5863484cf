import javax.microedition.lcdui.*;
import javax.microedition.midlet.*;
public class Main extends MIDlet {
    protected void pauseApp() {}
    protected void destroyApp(boolean unconditional) {}
    protected void startApp() {
        Form form = new Form("Geraet");
        try {
            form.append(javax.bluetooth.LocalDevice.getLocalDevice().getFriendlyName());
        } catch (java.io.IOException e) {
        }
        Display.getDisplay(this).setCurrent(form);
    }
}
