package java.lang;
public class InterruptedException extends Exception {
    public InterruptedException() {}
    public InterruptedException(String message) {}
}
