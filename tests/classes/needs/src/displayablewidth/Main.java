import javax.microedition.lcdui.*;
import javax.microedition.midlet.*;
public class Main extends MIDlet {
    protected void pauseApp() {}
    protected void destroyApp(boolean unconditional) {}
    protected void startApp() {
        Displayable shown = new Form("Breite");
        if (shown.getWidth() > 100) shown.addCommand(new Command("Ende", Command.EXIT, 1));
        Display.getDisplay(this).setCurrent(shown);
    }
}
