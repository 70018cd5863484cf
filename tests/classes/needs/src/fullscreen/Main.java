import javax.microedition.lcdui.*;
import javax.microedition.midlet.*;
public class Main extends MIDlet {
    protected void pauseApp() {}
    protected void destroyApp(boolean unconditional) {}
    protected void startApp() {
        Board board = new Board();
        board.setFullScreenMode(true);
        board.tick();
        Display.getDisplay(this).setCurrent(board);
    }
}
