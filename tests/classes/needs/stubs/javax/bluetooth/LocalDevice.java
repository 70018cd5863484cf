package javax.bluetooth;
public class LocalDevice {
    public static LocalDevice getLocalDevice() throws BluetoothStateException { return null; }
    public String getFriendlyName() { return null; }
}
