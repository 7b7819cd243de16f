<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja" sourcelanguage="ja">
<context>
    <name>Faults</name>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tile</source>
        <translation></translation>
    </message>
    <message>
        <source>%1 to %2</source>
        <translation>%1 ～</translation>
    </message>
    <message>
        <source>&amp;Open</source>
        <translation>開く</translation>
    </message>
    <message>
        <source>Color...</source>
        <translation>色</translation>
    </message>
    <message numerus="yes">
        <source>%n looks</source>
        <translation>
            <numerusform>ルック</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>Good</name>
    <message>
        <source>%1 to %2</source>
        <translation>%2 から %1</translation>
    </message>
    <message>
        <source>&amp;Open &amp;&amp; close...</source>
        <translation>開いて閉じる &amp;&amp; (&amp;O)...</translation>
    </message>
    <message numerus="yes">
        <source>%n looks</source>
        <translation>
            <numerusform>%n 個のルック</numerusform>
        </translation>
    </message>
</context>
</TS>
