package com.siemens.mp.game;
public class Light {
    public static void setLightOn() {}
}
