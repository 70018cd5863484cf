package java.lang;

public class Throwable extends Object {}
