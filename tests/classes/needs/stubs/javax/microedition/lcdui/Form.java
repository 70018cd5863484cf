package javax.microedition.lcdui;
public class Form extends Displayable {
    public Form(String title) {}
    public int append(String text) { return 0; }
}
