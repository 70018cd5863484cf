package java.util;
public class Vector {
    public Vector() {}
    public void addElement(Object o) {}
    public Object elementAt(int i) { return null; }
    public int size() { return 0; }
}
