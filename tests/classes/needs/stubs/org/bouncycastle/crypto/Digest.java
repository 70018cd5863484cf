package org.bouncycastle.crypto;
public interface Digest {
    int getDigestSize();
}
