package com.example;

public class Meter {
    public static int scaled(int value) {
        float factor = 1.5f;
        return (int) (value * factor);
    }
}
