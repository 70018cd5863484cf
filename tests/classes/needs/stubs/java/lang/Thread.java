package java.lang;
public class Thread implements Runnable {
    public Thread() {}
    public Thread(Runnable r) {}
    public void start() {}
    public void run() {}
    public static void sleep(long millis) throws InterruptedException {}
}
