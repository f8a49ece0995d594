<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr">
<context>
    <name>Application</name>
    <message>
        <location filename="../../src/app/Application.cpp" line="64"/>
        <source>%1 running!</source>
        <translation>%1 en cours d&apos;exécution !</translation>
    </message>
    <message>
        <location filename="../../src/app/Application.cpp" line="65"/>
        <source>%1 is already running !</source>
        <translation>%1 est déjà en cours d&apos;exécution !</translation>
    </message>
    <message>
        <location filename="../../src/app/Application.cpp" line="83"/>
        <source>Run with the simulated device instead of real hardware.</source>
        <translation>Utiliser l&apos;appareil simulé au lieu du matériel réel.</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <location filename="../../src/app/MainWindow.ui" line="32"/>
        <source>File</source>
        <translation>Fichier</translation>
    </message>
    <message>
        <location filename="../../src/app/MainWindow.ui" line="45"/>
        <source>Edit</source>
        <translation>Édition</translation>
    </message>
    <message>
        <location filename="../../src/app/MainWindow.ui" line="57"/>
        <source>Tools</source>
        <translation>Outils</translation>
    </message>
    <message>
        <location filename="../../src/app/MainWindow.ui" line="68"/>
        <source>Language</source>
        <translation>Langue</translation>
    </message>
    <message>
        <location filename="../../src/app/MainWindow.ui" line="73"/>
        <source>Help</source>
        <translation>Aide</translation>
    </message>
    <message>
        <location filename="../../src/app/MainWindow.ui" line="92"/>
        <source>Open...</source>
        <translation>Ouvrir...</translation>
    </message>
    <message>
        <location filename="../../src/app/MainWindow.ui" line="100"/>
        <location filename="../../src/app/MainWindow.ui" line="103"/>
        <source>Recent Files</source>
        <translation>Fichiers récents</translation>
    </message>
    <message>
        <location filename="../../src/app/MainWindow.ui" line="112"/>
        <source>Save</source>
        <translation>Enregistrer</translation>
    </message>
    <message>
        <location filename="../../src/app/MainWindow.ui" line="127"/>
        <source>Save As...</source>
        <translation>Enregistrer sous...</translation>
    </message>
    <message>
        <location filename="../../src/app/MainWindow.ui" line="142"/>
        <source>Quit</source>
        <translation>Quitter</translation>
    </message>
    <message>
        <location filename="../../src/app/MainWindow.ui" line="157"/>
        <source>Import frames</source>
        <translation>Importer des trames</translation>
    </message>
    <message>
        <location filename="../../src/app/MainWindow.ui" line="172"/>
        <source>Export frames</source>
        <translation>Exporter des trames</translation>
    </message>
    <message>
        <location filename="../../src/app/MainWindow.ui" line="187"/>
        <location filename="../../src/app/MainWindow.ui" line="190"/>
        <source>Default from ORV</source>
        <translation>Valeurs par défaut de l&apos;ORV</translation>
    </message>
    <message>
        <location filename="../../src/app/MainWindow.ui" line="205"/>
        <location filename="../../src/app/MainWindow.ui" line="208"/>
        <source>Reload from ORV</source>
        <translation>Recharger depuis l&apos;ORV</translation>
    </message>
    <message>
        <location filename="../../src/app/MainWindow.ui" line="223"/>
        <location filename="../../src/app/MainWindow.ui" line="226"/>
        <source>Apply to ORV</source>
        <translation>Appliquer à l&apos;ORV</translation>
    </message>
    <message>
        <location filename="../../src/app/MainWindow.ui" line="241"/>
        <source>Kiv Terminal</source>
        <translation>Terminal Kiv</translation>
    </message>
    <message>
        <location filename="../../src/app/MainWindow.ui" line="256"/>
        <source>Updater</source>
        <translation>Mise à jour</translation>
    </message>
    <message>
        <location filename="../../src/app/MainWindow.ui" line="271"/>
        <location filename="../../src/app/MainWindow.ui" line="274"/>
        <source>Auto Config</source>
        <translation>Configuration auto</translation>
    </message>
    <message>
        <location filename="../../src/app/MainWindow.ui" line="283"/>
        <source>Change LoRaWAN keys</source>
        <translation>Changer les clés LoRaWAN</translation>
    </message>
    <message>
        <location filename="../../src/app/MainWindow.ui" line="295"/>
        <source>About</source>
        <translation>À propos</translation>
    </message>
    <message>
        <location filename="../../src/app/MainWindow.ui" line="310"/>
        <source>Check for updates</source>
        <translation>Rechercher des mises à jour</translation>
    </message>
    <message>
        <location filename="../../src/app/MainWindow.cpp" line="52"/>
        <source>No device connected</source>
        <translation>Aucun appareil connecté</translation>
    </message>
    <message>
        <location filename="../../src/app/MainWindow.cpp" line="144"/>
        <source>This function is not available yet.</source>
        <translation>Cette fonction n&apos;est pas encore disponible.</translation>
    </message>
    <message>
        <location filename="../../src/app/MainWindow.cpp" line="306"/>
        <source>Language update</source>
        <translation>Mise à jour de la langue</translation>
    </message>
    <message>
        <location filename="../../src/app/MainWindow.cpp" line="307"/>
        <source>To update the translation, it is necessary to restart the application.
Restart now?</source>
        <translation>Pour mettre à jour la traduction, il est nécessaire de redémarrer l&apos;application.
Redémarrer maintenant ?</translation>
    </message>
    <message>
        <location filename="../../src/app/MainWindow.cpp" line="323"/>
        <source>Release information : </source>
        <translation>Informations de version : </translation>
    </message>
    <message>
        <location filename="../../src/app/MainWindow.cpp" line="324"/>
        <source>Build date: </source>
        <translation>Date de compilation : </translation>
    </message>
    <message>
        <location filename="../../src/app/MainWindow.cpp" line="325"/>
        <source>%1 uses the following libraries under the %2 licence:</source>
        <translation>%1 utilise les bibliothèques suivantes sous licence %2 :</translation>
    </message>
    <message>
        <location filename="../../src/app/MainWindow.cpp" line="328"/>
        <source>About %1</source>
        <translation>À propos de %1</translation>
    </message>
    <message>
        <location filename="../../src/app/MainWindow.cpp" line="339"/>
        <source>Open %1 config</source>
        <translation>Ouvrir une configuration %1</translation>
    </message>
    <message>
        <location filename="../../src/app/MainWindow.cpp" line="340"/>
        <source>%1 config file (*.ocf);;All Files (*)</source>
        <translation>Fichier de configuration %1 (*.ocf);;Tous les fichiers (*)</translation>
    </message>
</context>
</TS>
