import javax.microedition.lcdui.*;
import javax.microedition.midlet.*;
public class Main extends MIDlet {
    protected void pauseApp() {}
    protected void destroyApp(boolean unconditional) {}
    protected void startApp() {
        Canvas board = new Board();
        if (board.getWidth() > 100) board.addCommand(new Command("Ende", Command.EXIT, 1));
        Display.getDisplay(this).setCurrent(board);
    }
}
