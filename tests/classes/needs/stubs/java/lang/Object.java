package java.lang;
public class Object {
    public Object() {}
    public boolean equals(Object o) { return false; }
    public int hashCode() { return 0; }
    public String toString() { return null; }
    public final Class getClass() { return null; }
}
