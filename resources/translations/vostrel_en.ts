<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="en">
<context>
    <name>QObject</name>
    <message>
        <source>Vostrel 2006</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The program could not be started again on %1.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>vostrel::shell::PrefixChooser</name>
    <message>
        <source>Wine prefix</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The Wine prefix to scan; choosing another one reloads the program on it.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 — %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Other folder…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Vostrel 2006</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 is no Wine prefix: it holds no system.reg.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
