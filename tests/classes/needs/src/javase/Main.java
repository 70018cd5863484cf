import javax.microedition.lcdui.*;
import javax.microedition.midlet.*;
public class Main extends MIDlet {
    protected void pauseApp() {}
    protected void destroyApp(boolean unconditional) {}
    protected void startApp() {
        String name = getAppProperty("MIDlet-Name");
        Form form = new Form(new StringBuilder().append(name).toString());
        if (!name.isEmpty()) form.append(name);
        Display.getDisplay(this).setCurrent(form);
    }
}
