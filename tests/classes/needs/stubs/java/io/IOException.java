package java.io;
public class IOException extends Exception {
    public IOException() {}
}
