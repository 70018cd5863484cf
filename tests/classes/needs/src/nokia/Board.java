public class Board extends com.nokia.mid.ui.FullCanvas {
    protected void paint(javax.microedition.lcdui.Graphics g) { repaint(); }
}
