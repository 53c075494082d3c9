<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="fr">
<context>
    <name>pellumo::MainWindow</name>
    <message>
        <source>&amp;Quitter</source>
        <translation>&amp;Quit</translation>
    </message>
    <message>
        <source>&amp;Fichier</source>
        <translation>&amp;File</translation>
    </message>
</context>
<context>
    <name>pellumo::ThumbnailLoader</name>
    <message>
        <source>L&apos;image n&apos;a aucun pixel.</source>
        <translation>The picture has no pixels.</translation>
    </message>
</context>
</TS>
