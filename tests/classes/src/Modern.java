import java.util.function.IntSupplier;

// Today's Java: a lambda and string concatenation through invokedynamic.
public class Modern {
    static String greet(String who, int n) {
        return "Hello " + who + " " + n;
    }

    public static void main(String[] args) {
        IntSupplier count = () -> args.length;
        for (int i = 0; i < count.getAsInt(); i++) System.out.println(greet(args[i], i));
    }
}
