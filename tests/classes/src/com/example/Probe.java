package com.example;

import javax.microedition.lcdui.Canvas;
import javax.microedition.lcdui.Graphics;

public class Probe extends Canvas {
    private int ticks;

    protected void paint(Graphics g) {
        g.drawString("tick", 0, 0, 0);
    }

    public void tick(Canvas other) {
        ticks++;
        if (ticks % 10 == 0) other.repaint();
        System.out.println(ticks);
    }

    public static Object plugin() {
        try {
            return Class.forName("com.example.Plugin").newInstance();
        } catch (Exception e) {
            return null;
        }
    }
}
