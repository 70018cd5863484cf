package javax.microedition.lcdui;
public class Command {
    public static final int EXIT = 7;
    public Command(String label, int type, int priority) {}
}
