package javax.bluetooth;
public class BluetoothStateException extends java.io.IOException {}
