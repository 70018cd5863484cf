package extra;
// Loaded only by name, where the phone has MIDP 2.0.
public class Extra extends javax.microedition.lcdui.game.GameCanvas {
    public Extra() { super(false); }
    protected void paint(javax.microedition.lcdui.Graphics g) {}
}
