// Nothing names it: left in the JAR by an earlier version.
public class Leftover {
    public void buzz(javax.microedition.lcdui.Display display) { display.vibrate(100); }
}
