package com.nokia.mid.ui;
public abstract class FullCanvas extends javax.microedition.lcdui.Canvas {
    protected FullCanvas() {}
}
