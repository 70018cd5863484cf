import javax.microedition.lcdui.*;
import javax.microedition.midlet.*;
public class Main extends MIDlet {
    protected void pauseApp() {}
    protected void destroyApp(boolean unconditional) {}
    private org.bouncycastle.crypto.Digest digest;
    protected void startApp() {
        Form form = new Form("Pruefsumme");
        if (digest != null) form.append(String.valueOf(digest.getDigestSize()));
        Display.getDisplay(this).setCurrent(form);
    }
}
