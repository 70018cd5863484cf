import java.util.Random;
import java.util.Vector;
import javax.microedition.lcdui.*;
import javax.microedition.rms.*;
// Only what MIDP 1.0 and CLDC 1.0 offer; its own helpers called through itself.
public class Board extends Canvas implements Runnable {
    private final Random random = new Random();
    private final Vector dots = new Vector();
    private int score;
    protected void paint(Graphics g) {
        g.setColor(0xffffff);
        g.fillRect(0, 0, getWidth(), getHeight());
        g.setFont(Font.getFont(0, 0, 8));
        g.drawString(new StringBuffer("Punkte ").append(score).toString(), 0, 0, Graphics.TOP | Graphics.LEFT);
    }
    protected void keyPressed(int keyCode) {
        if (getGameAction(keyCode) != 0) step();
    }
    private void step() {
        score += Math.abs(random.nextInt()) % 10;
        dots.addElement(String.valueOf(score));
        repaint();
    }
    public void run() {
        try {
            while (dots.size() < 100) {
                step();
                Thread.sleep(100);
            }
        } catch (InterruptedException e) {
        } finally {
            save();
        }
    }
    private void save() {
        try {
            RecordStore store = RecordStore.openRecordStore("punkte", true);
            store.addRecord(new byte[] {(byte) score}, 0, 1);
            store.closeRecordStore();
        } catch (RecordStoreException e) {
        }
    }
}
