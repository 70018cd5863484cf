package javax.microedition.lcdui;
public class Display {
    public static Display getDisplay(javax.microedition.midlet.MIDlet m) { return null; }
    public void setCurrent(Displayable d) {}
    public boolean vibrate(int duration) { return false; }
}
