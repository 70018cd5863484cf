package java.lang;

public class InstantiationException extends Exception {}
