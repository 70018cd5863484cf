#!/usr/bin/env bash
# Makes the class files of the class reader's tests with the tools that make
# them in the wild, and writes them beside this script (committed, so that
# the tests need no Java): javac 17 (openjdk-17-jdk-headless), ProGuard
# (proguard-cli) retargeting to old versions and preverifying with
# -microedition, and the assembler jasmin-sable for what no compiler writes.
# The tests need none of them: install them to run this again after changing
# a source here (apt-get install openjdk-17-jdk-headless proguard-cli jasmin-sable).
set -euo pipefail
cd "$(dirname "$0")"
for tool in javac proguard jasmin; do
    command -v "$tool" >/dev/null || { echo "make-classes.sh needs $tool" >&2; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

rm -rf javac17 preverified preverified11 unverified jasmin

# Today's Java: version 61, StackMapTable only, invokedynamic.
javac --release 17 -d javac17 src/Modern.java

# The suite's classes against a few stubs of CLDC's and MIDP's API, as a
# MIDlet is built: javac 8 first, then ProGuard to version 47 (or 45.3) with
# and without the preverifier.
stub_sources=$(find src/stubs -name '*.java' | sort)
# shellcheck disable=SC2086
javac -Xlint:-options -source 8 -target 8 -bootclasspath src/stubs -d "$work/stubs" $stub_sources
javac -Xlint:-options -source 8 -target 8 -bootclasspath "$work/stubs" -d "$work/javac8" src/com/example/*.java
proguard_to() {
    local out=$1 target=$2 preverify=$3
    {
        echo "-injars $work/javac8"
        echo "-outjars $PWD/$out"
        echo "-libraryjars $work/stubs"
        echo "-target $target"
        echo "-dontshrink"
        echo "-dontoptimize"
        echo "-dontobfuscate"
        echo "-keep class ** { *; }"
        if [ "$preverify" = yes ]; then echo "-microedition"; fi
    } >"$work/proguard.pro"
    proguard @"$work/proguard.pro" >"$work/proguard.log" 2>&1 || { cat "$work/proguard.log"; exit 1; }
}
proguard_to preverified 1.3 yes
proguard_to preverified11 1.1 yes
proguard_to unverified 1.3 no
rm preverified11/com/example/Meter.class unverified/com/example/Meter.class

# One small class per case: a static method f with the body given, version
# 46.0 as jasmin-sable writes unless an ldc of a class asks for 49.0.
# CASE|DESCRIPTOR|MORE (fields)|BODY, ',' between instructions.
jasmin_cases=(
    "Straight|()I||iconst_1,ireturn"
    "IntArray|()I||iconst_2,newarray int,arraylength,ireturn"
    "LongMath|()I||iconst_1,i2l,lconst_1,ladd,l2i,ireturn"
    "FloatConst|()I||fconst_2,f2i,ireturn"
    "DoubleConst|()I||dconst_1,d2i,ireturn"
    "IntToFloat|()I||iconst_1,i2f,fconst_1,fadd,f2i,ireturn"
    "FloatArray|()I||iconst_2,newarray float,arraylength,ireturn"
    "DoubleArray|()I||iconst_2,newarray double,arraylength,ireturn"
    "LdcFloat|()I||ldc 1.5,f2i,ireturn"
    "LdcDouble|()I||ldc2_w 2.5,d2i,ireturn"
    "LongToDouble|()I||lconst_1,l2d,dconst_0,dcmpl,ireturn"
    "WideFloatLocal|()I||fconst_0,fstore 300,fload 300,f2i,ireturn"
    "FloatParameter|(F)I||iconst_0,ireturn"
    "FloatField|()I|.field static x F|iconst_0,ireturn"
    "DoubleArrayField|()I|.field static x [[D|iconst_0,ireturn"
    "Subroutine|()I||jsr Sub,iconst_0,ireturn,Sub:,astore_0,ret 0"
    "WideSubroutine|()I||jsr_w Sub,iconst_0,ireturn,Sub:,astore 300,ret 300"
    "Branch|()I||iconst_0,ifeq Done,iconst_1,ireturn,Done:,iconst_2,ireturn"
    "TableSwitch|()I||iconst_1,tableswitch 0,One,Two,default : Two,One:,iconst_1,ireturn,Two:,iconst_2,ireturn"
    "LookupSwitch|()I||iconst_1,lookupswitch,7 : One,default : One,One:,iconst_1,ireturn"
    "Handler|()I||.catch java/lang/Exception from Try to Caught using Caught,Try:,iconst_1,ireturn,Caught:,pop,iconst_2,ireturn"
    "ClassConstant|()Ljava/lang/Object;||ldc java/lang/String,areturn"
    "ObjectArrays|()I||iconst_2,iconst_3,multianewarray [[Ljava/lang/Thread; 2,pop,iconst_1,anewarray java/lang/Runnable,arraylength,ireturn"
    "Interface|(Ljava/lang/Runnable;)I||aload_0,invokeinterface java/lang/Runnable/run()V 1,iconst_0,ireturn"
)
mkdir -p "$work/j" jasmin
for entry in "${jasmin_cases[@]}"; do
    IFS='|' read -r name descriptor more body <<<"$entry"
    {
        printf '.class public %s\n.super java/lang/Object\n%s\n\n' "$name" "$more"
        printf '.method public static f%s\n    .limit stack 4\n    .limit locals 301\n' "$descriptor"
        tr ',' '\n' <<<"$body" | sed 's/^/    /'
        printf '.end method\n'
    } >"$work/j/$name.j"
    jasmin -d jasmin "$work/j/$name.j" >/dev/null
    # jasmin reports its errors but ends with success.
    [ -f "jasmin/$name.class" ] || { echo "make-classes.sh: jasmin made no $name.class" >&2; exit 1; }
done

# The seed corpus of class_fuzz: the same classes, side by side.
rm -rf ../fuzz/class-corpus
mkdir -p ../fuzz/class-corpus
find javac17 preverified preverified11 unverified jasmin -name '*.class' | while read -r class; do
    cp "$class" "../fuzz/class-corpus/$(tr / - <<<"$class")"
done
