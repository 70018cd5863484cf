package java.lang;
public class Throwable extends Object {
    public Throwable() {}
    public Throwable(String message) {}
}
