package javax.microedition.rms;
public class RecordStore {
    public static RecordStore openRecordStore(String name, boolean create) throws RecordStoreException { return null; }
    public int addRecord(byte[] data, int offset, int size) throws RecordStoreException { return 0; }
    public void closeRecordStore() throws RecordStoreException {}
}
