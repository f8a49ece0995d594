<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr">
<context>
    <name>Application</name>
    <message>
        <location filename="../../src/app/Application.cpp" line="99"/>
        <source>%1 running!</source>
        <translation>%1 en cours d&apos;exécution !</translation>
    </message>
    <message>
        <location filename="../../src/app/Application.cpp" line="100"/>
        <source>%1 is already running !</source>
        <translation>%1 est déjà en cours d&apos;exécution !</translation>
    </message>
    <message>
        <location filename="../../src/app/Application.cpp" line="118"/>
        <source>Run with the simulated device instead of real hardware.</source>
        <translation>Utiliser l&apos;appareil simulé au lieu du matériel réel.</translation>
    </message>
    <message>
        <location filename="../../src/app/Application.cpp" line="123"/>
        <source>Log every step on standard error (a trace to send).</source>
        <translation>Journaliser chaque étape sur la sortie d&apos;erreur (une trace à envoyer).</translation>
    </message>
    <message>
        <location filename="../../src/app/Application.cpp" line="127"/>
        <source>Ask URL for the release information (update check).</source>
        <translation>Demander les informations de version à l&apos;URL (recherche de mise à jour).</translation>
    </message>
</context>
<context>
    <name>BackupStore</name>
    <message>
        <location filename="../../src/device/files/BackupStore.cpp" line="93"/>
        <source>Can&apos;t create the backup folder &apos;%1&apos;.</source>
        <translation>Impossible de créer le dossier des sauvegardes « %1 ».</translation>
    </message>
    <message>
        <location filename="../../src/device/files/BackupStore.cpp" line="114"/>
        <source>Can&apos;t write the backup &apos;%1&apos;.</source>
        <translation>Impossible d&apos;écrire la sauvegarde « %1 ».</translation>
    </message>
</context>
<context>
    <name>Ble</name>
    <message>
        <location filename="../../src/links/Ble.cpp" line="98"/>
        <source>Trying to connect device : %1 ...</source>
        <translation>Tentative de connexion à l&apos;appareil : %1 ...</translation>
    </message>
    <message>
        <location filename="../../src/links/Ble.cpp" line="104"/>
        <source>Connection Completed.</source>
        <translation>Connexion établie.</translation>
    </message>
    <message>
        <location filename="../../src/links/Ble.cpp" line="108"/>
        <source>Error %1 in Connection</source>
        <translation>Erreur %1 pendant la connexion</translation>
    </message>
    <message>
        <location filename="../../src/links/Ble.cpp" line="112"/>
        <source>Connection Timeout reached</source>
        <translation>Délai de connexion dépassé</translation>
    </message>
    <message>
        <location filename="../../src/links/Ble.cpp" line="285"/>
        <source>Connection to device : %1 OK, Scanning Services ...</source>
        <translation>Connexion à l&apos;appareil : %1 OK, recherche des services ...</translation>
    </message>
    <message>
        <location filename="../../src/links/Ble.cpp" line="292"/>
        <source>device : %1 disconnected</source>
        <translation>appareil : %1 déconnecté</translation>
    </message>
    <message>
        <location filename="../../src/links/Ble.cpp" line="301"/>
        <source>Error %1 during connection, please connect again</source>
        <translation>Erreur %1 pendant la connexion, veuillez vous reconnecter</translation>
    </message>
</context>
<context>
    <name>Catalog</name>
    <message>
        <location filename="../../src/device/model/Catalog.cpp" line="112"/>
        <source>868 P2P</source>
        <translation>868 P2P</translation>
    </message>
    <message>
        <location filename="../../src/device/model/Catalog.cpp" line="114"/>
        <source>Sigfox (Uplink only)</source>
        <translation>Sigfox (montant uniquement)</translation>
    </message>
    <message>
        <location filename="../../src/device/model/Catalog.cpp" line="116"/>
        <source>Sigfox (Bidirectional)</source>
        <translation>Sigfox (bidirectionnel)</translation>
    </message>
    <message>
        <location filename="../../src/device/model/Catalog.cpp" line="118"/>
        <source>LoRaWAN</source>
        <translation>LoRaWAN</translation>
    </message>
    <message>
        <location filename="../../src/device/model/Catalog.cpp" line="120"/>
        <source>Lora P2P</source>
        <translation>Lora P2P</translation>
    </message>
    <message>
        <location filename="../../src/device/model/Catalog.cpp" line="122"/>
        <source>Sigfox (World Wide)</source>
        <translation>Sigfox (monde entier)</translation>
    </message>
    <message>
        <location filename="../../src/device/model/Catalog.cpp" line="128"/>
        <source>None</source>
        <translation>Aucune</translation>
    </message>
    <message>
        <location filename="../../src/device/model/Catalog.cpp" line="194"/>
        <source>Device unknown</source>
        <translation>Appareil inconnu</translation>
    </message>
    <message>
        <location filename="../../src/device/model/Catalog.cpp" line="200"/>
        <source>The device connected is no recognized of &apos;%1&apos; in version %2. There is probably a newer version.
Please, disconnect your ORV and upgrade you version!

%3</source>
        <translation>L&apos;appareil connecté n&apos;est pas reconnu par « %1 » en version %2. Une version plus récente existe probablement.
Veuillez déconnecter votre ORV et mettre à jour votre version !

%3</translation>
    </message>
    <message>
        <location filename="../../src/device/model/Catalog.cpp" line="214"/>
        <source>PTC-CT thermocouple &amp; current sensor</source>
        <translation>Capteur thermocouple et courant PTC-CT</translation>
    </message>
</context>
<context>
    <name>Cli</name>
    <message>
        <location filename="../../src/cli/Cli.cpp" line="25"/>
        <source>no command given</source>
        <translation>aucune commande donnée</translation>
    </message>
    <message>
        <location filename="../../src/cli/Cli.cpp" line="62"/>
        <source>unknown command &apos;%1&apos;</source>
        <translation>commande inconnue &apos;%1&apos;</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliDevice.cpp" line="194"/>
        <location filename="../../src/cli/CliFiles.cpp" line="159"/>
        <location filename="../../src/cli/CliFirmware.cpp" line="205"/>
        <location filename="../../src/cli/CliFirmware.cpp" line="270"/>
        <source>Can&apos;t open file &apos;%1&apos;!</source>
        <translation>Impossible d&apos;ouvrir le fichier « %1 » !</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliDevice.cpp" line="199"/>
        <source>no keys written: %1</source>
        <translation>aucune clé écrite : %1</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliDevice.cpp" line="234"/>
        <source>No supported device answered at BLE address %1.</source>
        <translation>Aucun appareil pris en charge n&apos;a répondu à l&apos;adresse BLE %1.</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliDevice.cpp" line="253"/>
        <source>No supported device answered on USB.</source>
        <translation>Aucun appareil pris en charge n&apos;a répondu en USB.</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliDevice.cpp" line="278"/>
        <source>-o is an option of device read</source>
        <translation>-o est une option de device read</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliDevice.cpp" line="281"/>
        <source>--once is an option of device watch</source>
        <translation>--once est une option de device watch</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliDevice.cpp" line="283"/>
        <location filename="../../src/cli/CliFirmware.cpp" line="281"/>
        <source>--sim-schedule is an option of device watch</source>
        <translation>--sim-schedule est une option de device watch</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliDevice.cpp" line="285"/>
        <source>device watch watches USB only</source>
        <translation>device watch ne surveille que l&apos;USB</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliDevice.cpp" line="292"/>
        <location filename="../../src/cli/CliFirmware.cpp" line="287"/>
        <source>the --sim-* options need --simulate</source>
        <translation>les options --sim-* demandent --simulate</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliDevice.cpp" line="378"/>
        <source>unknown command &apos;device %1&apos;</source>
        <translation>commande inconnue &apos;device %1&apos;</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliDoctor.cpp" line="146"/>
        <source>doctor takes no arguments</source>
        <translation>doctor ne prend pas d&apos;argument</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliFiles.cpp" line="71"/>
        <source>--max-payload must be a number from 8 to 1024</source>
        <translation>--max-payload doit être un nombre de 8 à 1024</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliFiles.cpp" line="81"/>
        <source>Parameter %1 can&apos;t be packed into frames of %2 bytes</source>
        <translation>Le paramètre %1 ne tient pas dans des trames de %2 octets</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliFiles.cpp" line="84"/>
        <source>Parameter %1 (%2) can&apos;t be packed into frames of %3 bytes</source>
        <translation>Le paramètre %1 (%2) ne tient pas dans des trames de %3 octets</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliFiles.cpp" line="102"/>
        <source>frames pack needs exactly one FILE.ocf</source>
        <translation>frames pack demande exactement un FILE.ocf</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliFiles.cpp" line="124"/>
        <source>frames qr needs exactly one FILE.ocf</source>
        <translation>frames qr demande exactement un FILE.ocf</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliFiles.cpp" line="127"/>
        <source>frames qr needs -o OUT.png</source>
        <translation>frames qr demande -o OUT.png</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliFiles.cpp" line="148"/>
        <source>frames unpack takes at most one FILE</source>
        <translation>frames unpack prend au plus un FILE</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliFiles.cpp" line="179"/>
        <source>file info needs exactly one FILE.ocf</source>
        <translation>file info demande exactement un FILE.ocf</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliFirmware.cpp" line="179"/>
        <source>The configuration could not be compared with the backup %1.</source>
        <translation>La configuration n&apos;a pas pu être comparée à la sauvegarde %1.</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliFirmware.cpp" line="188"/>
        <source>The update changed the configuration of the device (now → before the update):</source>
        <translation>La mise à jour a changé la configuration de l&apos;appareil (maintenant → avant la mise à jour) :</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliFirmware.cpp" line="193"/>
        <source>Write it back with: pelm-cli device apply &quot;%1&quot;</source>
        <translation>Pour la réécrire : pelm-cli device apply &quot;%1&quot;</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliFirmware.cpp" line="202"/>
        <source>firmware info needs exactly one FILE.srec</source>
        <translation>firmware info demande exactement un FILE.srec</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliFirmware.cpp" line="211"/>
        <source>Can&apos;t read the firmware file &apos;%1&apos;!</source>
        <translation>Impossible de lire le fichier de micrologiciel « %1 » !</translation>
    </message>
    <message numerus="yes">
        <location filename="../../src/cli/CliFirmware.cpp" line="218"/>
        <source>%n corrupt lines skipped</source>
        <translation>
            <numerusform>%n ligne corrompue ignorée</numerusform>
            <numerusform>%n lignes corrompues ignorées</numerusform>
        </translation>
    </message>
    <message>
        <location filename="../../src/cli/CliFirmware.cpp" line="222"/>
        <source>The file &apos;%1&apos; holds no data records.</source>
        <translation>Le fichier « %1 » ne contient aucun enregistrement de données.</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliFirmware.cpp" line="260"/>
        <source>device update needs exactly one firmware FILE</source>
        <translation>device update demande exactement un FILE de micrologiciel</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliFirmware.cpp" line="263"/>
        <source>--target is &apos;device&apos; or &apos;ble-module&apos;</source>
        <translation>--target vaut &apos;device&apos; ou &apos;ble-module&apos;</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliFirmware.cpp" line="268"/>
        <source>--connect-timeout takes a number of seconds above 0</source>
        <translation>--connect-timeout prend un nombre de secondes supérieur à 0</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliFirmware.cpp" line="326"/>
        <source>No bootloader waits for a firmware file.</source>
        <translation>Aucun chargeur d&apos;amorçage n&apos;attend de fichier de micrologiciel.</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliFirmware.cpp" line="357"/>
        <source>The controller waits in its bootloader: finishing the stopped update.</source>
        <translation>Le contrôleur attend dans son chargeur d&apos;amorçage : fin de la mise à jour arrêtée.</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliFleet.cpp" line="61"/>
        <source>--verify, --record and --keys-csv are options of device apply</source>
        <translation>--verify, --record et --keys-csv sont des options de device apply</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliDevice.cpp" line="331"/>
        <location filename="../../src/cli/CliFirmware.cpp" line="339"/>
        <location filename="../../src/cli/CliFleet.cpp" line="70"/>
        <location filename="../../src/cli/CliFleet.cpp" line="81"/>
        <source>nothing written: %1</source>
        <translation>rien n&apos;a été écrit : %1</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliUpdateCheck.cpp" line="24"/>
        <source>%1 needs a value</source>
        <translation>%1 demande une valeur</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliUpdateCheck.cpp" line="26"/>
        <source>unexpected argument &apos;%1&apos;</source>
        <translation>argument inattendu &apos;%1&apos;</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliSimulation.cpp" line="87"/>
        <source>--sim-refuse takes a parameter id from 0 to 63</source>
        <translation>--sim-refuse prend un identifiant de paramètre de 0 à 63</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliSimulation.cpp" line="119"/>
        <location filename="../../src/cli/CliSimulation.cpp" line="306"/>
        <source>Can&apos;t write file &apos;%1&apos;!</source>
        <translation>Impossible d&apos;écrire le fichier « %1 » !</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliSimulation.cpp" line="133"/>
        <source>the simulator state file &apos;%1&apos; can&apos;t be read</source>
        <translation>le fichier d&apos;état du simulateur « %1 » ne peut pas être lu</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliSimulation.cpp" line="165"/>
        <source>unknown --sim-fault &apos;%1&apos;</source>
        <translation>valeur inconnue pour --sim-fault : &apos;%1&apos;</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliSimulation.cpp" line="194"/>
        <source>unknown --sim-schedule &apos;%1&apos;</source>
        <translation>valeur inconnue pour --sim-schedule : &apos;%1&apos;</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliSimulation.cpp" line="211"/>
        <source>unknown %1 item &apos;%2&apos;</source>
        <translation>élément inconnu pour %1 : &apos;%2&apos;</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliDiff.cpp" line="56"/>
        <source>file diff needs exactly two files A.ocf B.ocf</source>
        <translation>file diff demande exactement deux fichiers A.ocf B.ocf</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliDiff.cpp" line="74"/>
        <location filename="../../src/cli/CliDiff.cpp" line="86"/>
        <source>the device gave no configuration</source>
        <translation>l&apos;appareil n&apos;a donné aucune configuration</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliDiff.cpp" line="96"/>
        <source>(unreadable)</source>
        <translation>(illisible)</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliDiff.cpp" line="106"/>
        <source>no backup of this device in %1</source>
        <translation>aucune sauvegarde de cet appareil dans %1</translation>
    </message>
</context>
<context>
    <name>CliHelp</name>
    <message>
        <location filename="../../src/cli/CliHelp.cpp" line="14"/>
        <source>Commands:
</source>
        <translation>Commandes :
</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliHelp.cpp" line="15"/>
        <source>  frames pack FILE.ocf [--max-payload N]
      Reads the configuration file as the program would load it and prints the
      parameters packed into radio frames: one frame per line, upper-case hex.
      N is 8..1024 (default: 51 for radio-module type 5, otherwise 8).
</source>
        <translation>  frames pack FILE.ocf [--max-payload N]
      Lit le fichier de configuration comme le programme le chargerait et affiche
      les paramètres regroupés en trames radio : une trame par ligne, en hexa
      majuscules. N vaut 8..1024 (par défaut : 51 pour le module radio de type 5,
      sinon 8).
</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliHelp.cpp" line="20"/>
        <source>  frames qr FILE.ocf -o OUT.png [--max-payload N]
      Writes the QR Code image (PNG, 350x350) of all frames of the file: the
      text &apos;frames pack&apos; prints, with CR LF between frames. Exit code 3 when
      the text does not fit into one QR Code.
</source>
        <translation>  frames qr FILE.ocf -o OUT.png [--max-payload N]
      Écrit l&apos;image QR Code (PNG, 350x350) de toutes les trames du fichier : le
      texte qu&apos;affiche &apos;frames pack&apos;, avec CR LF entre les trames. Code de sortie 3
      quand le texte ne tient pas dans un seul QR Code.
</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliHelp.cpp" line="25"/>
        <source>  frames unpack [FILE|-]
      Reads frame text (one frame per line, hex; &apos;-&apos; or nothing: standard input),
      decodes and merges the frames and prints the parameters as a JSON array of
      {&quot;param&quot;, &quot;index&quot;, &quot;isBuf&quot;, &quot;data&quot;, &quot;name&quot;} objects. Invalid lines are
      reported on standard error.
</source>
        <translation>  frames unpack [FILE|-]
      Lit du texte de trames (une trame par ligne, en hexa ; &apos;-&apos; ou rien : entrée
      standard), décode et fusionne les trames et affiche les paramètres sous forme
      de tableau JSON d&apos;objets {&quot;param&quot;, &quot;index&quot;, &quot;isBuf&quot;, &quot;data&quot;, &quot;name&quot;}. Les
      lignes non valides sont signalées sur la sortie d&apos;erreur.
</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliHelp.cpp" line="39"/>
        <source>  device info
      Identifies the device: identity line, version word, buffer size.
</source>
        <translation>  device info
      Identifie l&apos;appareil : ligne d&apos;identité, mot de version, taille du tampon.
</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliHelp.cpp" line="41"/>
        <source>  device read [-o FILE.ocf]
      Loads the device&apos;s configuration; writes it to FILE.ocf, or prints the
      parameters as JSON (as &apos;frames unpack&apos; does) when no file is given.
</source>
        <translation>  device read [-o FILE.ocf]
      Charge la configuration de l&apos;appareil ; l&apos;écrit dans FILE.ocf, ou affiche les
      paramètres en JSON (comme &apos;frames unpack&apos;) quand aucun fichier n&apos;est donné.
</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliHelp.cpp" line="45"/>
        <source>  device apply FILE.ocf [--force] [--verify] [--record FILE.csv] [--keys-csv FILE]
      Writes a configuration file to the device and prints one line per parameter
      sent: &quot;accepted&quot; or &quot;REFUSED&quot; with its name and failure message. A file made
      for another radio-module type is refused unless --force is given.
      As a step of a roll-out (any of the three options), it ends with the line
      &quot;Pelm-TYPE - successful|failed - DevEUI DIGITS[: REASON]&quot;:
      --verify         reads the configuration back and compares it
      --record FILE    appends the device&apos;s row to a provisioning record (CSV,
                       created with its header line when new)
      --keys-csv FILE  writes the device&apos;s own LoRaWAN keys from a key list (CSV
                       &quot;DevEUI,AppEUI,AppKey&quot;); a device not listed gets nothing
</source>
        <translation>  device apply FILE.ocf [--force] [--verify] [--record FILE.csv] [--keys-csv FILE]
      Écrit un fichier de configuration dans l&apos;appareil et affiche une ligne par
      paramètre envoyé : &quot;accepted&quot; ou &quot;REFUSED&quot; avec son nom et son message
      d&apos;échec. Un fichier prévu pour un autre type de module radio est refusé
      sauf avec --force.
      Comme étape d&apos;une mise en service en série (l&apos;une des trois options), se
      termine par la ligne &quot;Pelm-TYPE - successful|failed - DevEUI CHIFFRES[: RAISON]&quot; :
      --verify         relit la configuration et la compare
      --record FILE    ajoute la ligne de l&apos;appareil à un registre de mise en
                       service (CSV, créé avec sa ligne d&apos;en-tête s&apos;il est nouveau)
      --keys-csv FILE  écrit les clés LoRaWAN propres à l&apos;appareil depuis une liste
                       de clés (CSV &quot;DevEUI,AppEUI,AppKey&quot;) ; un appareil absent
                       de la liste ne reçoit rien
</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliHelp.cpp" line="57"/>
        <source>  device defaults
      Restores the device&apos;s factory defaults.
</source>
        <translation>  device defaults
      Restaure la configuration d&apos;usine de l&apos;appareil.
</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliHelp.cpp" line="70"/>
        <source>  device watch [--once]
      Watches the USB port and prints one line per event, as it happens:
        plugged IDENTITY   a device identified itself (its identity line)
        unknown VID:PID    a device that does not identify itself, or that is
                           not a supported device (hex ids, e.g. 04d8:0240)
        unplugged          that device is gone (reported within a second)
      Runs until interrupted (Ctrl+C or SIGTERM end it with exit code 0); with
      --once it exits after the first &quot;unplugged&quot;. USB only.
</source>
        <translation>  device watch [--once]
      Surveille le port USB et affiche une ligne par événement, au fil de l&apos;eau :
        plugged IDENTITÉ   un appareil s&apos;est identifié (sa ligne d&apos;identité)
        unknown VID:PID    un appareil qui ne s&apos;identifie pas, ou qui n&apos;est pas
                           un appareil pris en charge (ids en hexa, ex. 04d8:0240)
        unplugged          cet appareil est parti (signalé en moins d&apos;une seconde)
      Tourne jusqu&apos;à interruption (Ctrl+C ou SIGTERM la terminent avec le code de
      sortie 0) ; avec --once, s&apos;arrête après le premier &quot;unplugged&quot;. USB seulement.
</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliHelp.cpp" line="79"/>
        <source>  device keys --keys FILE|-
      Writes new LoRaWAN keys to the device. FILE (&apos;-&apos;: standard input) holds
      the lines AppEUI=&lt;16 hex digits&gt; and AppKey=&lt;32 hex digits&gt;; keys are
      never given on the command line. Incomplete keys are not sent. Prints one
      line per key: &quot;accepted&quot; or &quot;REFUSED&quot; with its id and name, never the key.
</source>
        <translation>  device keys --keys FILE|-
      Écrit de nouvelles clés LoRaWAN dans l&apos;appareil. FILE (&apos;-&apos; : entrée standard)
      contient les lignes AppEUI=&lt;16 chiffres hexa&gt; et AppKey=&lt;32 chiffres hexa&gt; ;
      les clés ne sont jamais données sur la ligne de commande. Des clés
      incomplètes ne sont pas envoyées. Affiche une ligne par clé : &quot;accepted&quot; ou
      &quot;REFUSED&quot; avec son id et son nom, jamais la clé.
</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliHelp.cpp" line="85"/>
        <source>  device update FILE [--target device|ble-module] [--seed-key LIB]
                     [--connect-timeout SECONDS] [--resume]
      Updates the firmware of the device&apos;s main controller (default) or of its
      BLE radio module: reads the bootloader kinds, checks that FILE suits the
      bootloader (.sfb for &quot;ST Ymodem&quot;, .srec for &quot;BootQuor&quot;), restarts the
      controller into its bootloader, sends the file (YMODEM over the device
      link, or XCP over BLE: the BLE module always needs --ble) and reconnects.
      The updater&apos;s messages and the progress go to standard error; Ctrl+C
      stops the update (the controller then stays in its bootloader).
      --seed-key LIB: seed-and-key library for bootloaders that ask for a key
      (default: the &quot;SeedKeyLibrary&quot; setting). --connect-timeout: how long to
      keep trying to reach the XCP bootloader (default 30 s).
      FILE is checked whole first: a corrupt S-record line, an S-record file
      without data or an empty .sfb is refused before the restart. A stopped
      update is finished by the same command: a controller that waits in its
      bootloader (YMODEM asking for a file, XCP answering CONNECT) gets FILE
      at once; --resume looks only for such a bootloader.

</source>
        <translation>  device update FILE [--target device|ble-module] [--seed-key LIB]
                     [--connect-timeout SECONDES] [--resume]
      Met à jour le micrologiciel du contrôleur principal de l&apos;appareil (par
      défaut) ou de son module radio BLE : lit les types de chargeur d&apos;amorçage,
      vérifie que FILE convient au chargeur (.sfb pour &quot;ST Ymodem&quot;, .srec pour
      &quot;BootQuor&quot;), redémarre le contrôleur dans son chargeur d&apos;amorçage, envoie le
      fichier (YMODEM par le lien de l&apos;appareil, ou XCP en BLE : le module BLE
      demande toujours --ble) et se reconnecte.
      Les messages de mise à jour et la progression vont sur la sortie d&apos;erreur ;
      Ctrl+C arrête la mise à jour (le contrôleur reste alors dans son chargeur).
      --seed-key LIB : bibliothèque seed-and-key pour les chargeurs qui demandent
      une clé (par défaut : le réglage &quot;SeedKeyLibrary&quot;). --connect-timeout : durée
      pendant laquelle joindre le chargeur XCP est retenté (30 s par défaut).
      FILE est d&apos;abord vérifié en entier : une ligne S-record corrompue, un fichier
      S-record sans données ou un .sfb vide est refusé avant le redémarrage. Une
      mise à jour arrêtée se termine par la même commande : un contrôleur qui
      attend dans son chargeur (YMODEM demandant un fichier, XCP répondant à
      CONNECT) reçoit FILE aussitôt ; --resume ne cherche qu&apos;un tel chargeur.

</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliHelp.cpp" line="160"/>
        <source>  --sim-xcp SPEC    (device update) the simulated XCP bootloader: comma list of
                    protected, motorola, require-encrypted, silent,
                    unknown:N (N CONNECTs refused as unknown), max-cto-pgm:N,
                    seed:HEX, drop:N (answer to packet N lost), waiting
                    (the --target controller in its bootloader from the start)
</source>
        <translation>  --sim-xcp SPEC    (device update) le chargeur XCP simulé : liste séparée par
                    des virgules de protected, motorola, require-encrypted,
                    silent, unknown:N (N CONNECT refusés comme inconnus),
                    max-cto-pgm:N, seed:HEX, drop:N (réponse au paquet N perdue),
                    waiting (le contrôleur de --target dans son chargeur dès le départ)
</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliHelp.cpp" line="104"/>
        <source>  doctor
      Checks this machine: the USB HID devices of both device identities and
      whether this user may open each (with the fix when not), the Bluetooth
      adapter and its state (&quot;none&quot; without one), the translations found and
      the folders looked in, and the settings file. Exit code 4 when a device
      is plugged in but can&apos;t be opened.

</source>
        <translation>  doctor
      Vérifie cette machine : les appareils USB HID des deux identités d&apos;appareil
      et si cet utilisateur peut ouvrir chacun (avec la correction sinon),
      l&apos;adaptateur Bluetooth et son état (&quot;none&quot; s&apos;il n&apos;y en a pas), les
      traductions trouvées et les dossiers parcourus, et le fichier de réglages.
      Code de sortie 4 quand un appareil est branché mais ne peut pas être ouvert.

</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliHelp.cpp" line="31"/>
        <source>  file info FILE.ocf
      Prints the identity and the writing program of a configuration file.
</source>
        <translation>  file info FILE.ocf
      Affiche l&apos;identité et le programme auteur d&apos;un fichier de configuration.
</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliHelp.cpp" line="34"/>
        <source>  file diff A.ocf B.ocf
      One line per value that differs, &quot;NAME (ID): A → B&quot;, in the units the
      device page shows. Exit code 0 when nothing differs, 1 when something does.

</source>
        <translation>  file diff A.ocf B.ocf
      Une ligne par valeur qui diffère, &quot;NOM (ID): A → B&quot;, dans les unités de la
      page de l&apos;appareil. Code de sortie 0 quand rien ne diffère, 1 sinon.

</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliHelp.cpp" line="59"/>
        <source>  device diff FILE.ocf
      What applying the file would change: one line per value, &quot;NAME (ID):
      DEVICE → FILE&quot;. Exit code 0 when nothing differs, 1 when something does.
</source>
        <translation>  device diff FILE.ocf
      Ce qu&apos;appliquer le fichier changerait : une ligne par valeur, &quot;NOM (ID):
      APPAREIL → FICHIER&quot;. Code de sortie 0 quand rien ne diffère, 1 sinon.
</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliHelp.cpp" line="63"/>
        <source>  device backups
      Lists the backups of the device (newest first), each with what writing it
      back would change. device apply BACKUP.ocf restores one.
      apply and defaults save the device&apos;s configuration first (data folder,
      backups/DEVEUI/); when that fails nothing is written (exit code 2) unless
      --no-backup is given.
</source>
        <translation>  device backups
      Liste les sauvegardes de l&apos;appareil (la plus récente d&apos;abord), chacune avec ce
      que sa réécriture changerait. device apply SAUVEGARDE.ocf en restaure une.
      apply et defaults sauvegardent d&apos;abord la configuration de l&apos;appareil (dossier
      de données, backups/DEVEUI/) ; en cas d&apos;échec rien n&apos;est écrit (code de sortie 2)
      sauf avec --no-backup.
</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliHelp.cpp" line="112"/>
        <source>  firmware info FILE.srec
      Loads an S-record file as the updater does and prints &quot;segments N&quot;,
      &quot;base 0x...&quot;, &quot;size N&quot;, then one line per segment with its first and last
      address (&quot;0xXXXXXXXX-0xXXXXXXXX&quot;). Corrupt lines are counted on standard
      error.

</source>
        <translation>  firmware info FILE.srec
      Charge un fichier S-record comme le fait la mise à jour et affiche
      &quot;segments N&quot;, &quot;base 0x...&quot;, &quot;size N&quot;, puis une ligne par segment avec sa
      première et sa dernière adresse (&quot;0xXXXXXXXX-0xXXXXXXXX&quot;). Les lignes
      corrompues sont comptées sur la sortie d&apos;erreur.

</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliHelp.cpp" line="119"/>
        <source>  update-check [--url URL] [--product KEY]
      Asks the release service whether a newer release of this program exists
      and prints &quot;up to date&quot; or &quot;update available: VERSION URL&quot; (no URL when
      the answer has no http or https download address). A failed check prints
      &quot;Network error N&quot; or &quot;JSON error&quot; on standard error (exit code 4).
      Defaults from the settings: UpdateUrl, UpdateProduct, UpdateUserAgent,
      UpdateTimeoutMs (15000).

</source>
        <translation>  update-check [--url URL] [--product CLÉ]
      Demande au service des versions si une version plus récente de ce
      programme existe et affiche &quot;up to date&quot; ou &quot;update available: VERSION URL&quot;
      (sans URL quand la réponse n&apos;a pas d&apos;adresse de téléchargement http ou
      https). Une recherche en échec affiche &quot;Network error N&quot; ou &quot;JSON error&quot;
      sur la sortie d&apos;erreur (code de sortie 4).
      Valeurs par défaut tirées des réglages : UpdateUrl, UpdateProduct,
      UpdateUserAgent, UpdateTimeoutMs (15000).

</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliHelp.cpp" line="128"/>
        <source>Device options:
</source>
        <translation>Options d&apos;appareil :
</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliHelp.cpp" line="129"/>
        <source>  --ble ADDRESS     talk to the device over BLE instead of USB HID
</source>
        <translation>  --ble ADRESSE     dialoguer avec l&apos;appareil en BLE au lieu de l&apos;USB HID
</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliHelp.cpp" line="130"/>
        <source>  --simulate        talk to the simulated device instead of real hardware
</source>
        <translation>  --simulate        dialoguer avec l&apos;appareil simulé au lieu du matériel réel
</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliHelp.cpp" line="132"/>
        <source>  --sim-state FILE  keep the simulated device&apos;s parameters in FILE between runs
</source>
        <translation>  --sim-state FILE  garder les paramètres de l&apos;appareil simulé dans FILE entre
                    deux exécutions
</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliHelp.cpp" line="134"/>
        <source>  --sim-fault SPEC  make the simulated device misbehave: unplugged, silent,
                    wrong-link-code, not-acknowledged, device-error:CODE,
                    truncated-load, corrupted-load, unplug-after:N (requests),
                    stores-other-value:ID (acknowledges writes but keeps
                    another value of ID; 0: the first parameter written);
                    &apos;@load&apos;, &apos;@write&apos; or &apos;@defaults&apos; after it limits the
                    fault to that transaction (e.g. silent@write)
</source>
        <translation>  --sim-fault SPEC  provoquer un défaut de l&apos;appareil simulé : unplugged, silent,
                    wrong-link-code, not-acknowledged, device-error:CODE,
                    truncated-load, corrupted-load, unplug-after:N (requêtes),
                    stores-other-value:ID (acquitte les écritures mais garde
                    une autre valeur de ID ; 0 : le premier paramètre écrit) ;
                    &apos;@load&apos;, &apos;@write&apos; ou &apos;@defaults&apos; à la suite limite le
                    défaut à cette transaction (ex. silent@write)
</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliHelp.cpp" line="142"/>
        <source>  --sim-refuse ID   make the simulated device refuse parameter ID (repeatable)
</source>
        <translation>  --sim-refuse ID   faire refuser le paramètre ID par l&apos;appareil simulé
                    (répétable)
</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliHelp.cpp" line="144"/>
        <source>  --sim-schedule EVENTS
                    device watch: pull and plug the simulated device&apos;s cable
                    over time; EVENTS is a comma-separated list of unplug@MS
                    and plug@MS, in milliseconds after the start
                    (e.g. unplug@500,plug@1500; --sim-fault unplugged starts
                    with the cable pulled)
</source>
        <translation>  --sim-schedule EVENTS
                    device watch : débrancher et brancher le câble de l&apos;appareil
                    simulé au fil du temps ; EVENTS est une liste séparée par des
                    virgules de unplug@MS et plug@MS, en millisecondes après le
                    départ (ex. unplug@500,plug@1500 ; --sim-fault unplugged
                    démarre câble débranché)
</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliHelp.cpp" line="151"/>
        <source>  --sim-ymodem SPEC (device update) the simulated YMODEM bootloader misbehaves:
                    comma list of silent, drop:N[xK] (answer to block N lost
                    K times), nak:N[xK], ack-first-eot, waiting (in its
                    bootloader from the start), restores-defaults (the new
                    firmware starts from the factory defaults)
</source>
        <translation>  --sim-ymodem SPEC (device update) le chargeur YMODEM simulé se comporte mal :
                    liste séparée par des virgules de silent, drop:N[xK] (réponse
                    au bloc N perdue K fois), nak:N[xK], ack-first-eot, waiting
                    (dans son chargeur dès le départ), restores-defaults (le
                    nouveau micrologiciel part des valeurs d&apos;usine)
</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliHelp.cpp" line="157"/>
        <source>  --sim-ymodem-peer COMMAND
                    (device update) an external YMODEM receiver (e.g.
                    &apos;rb -b -y&apos;) runs in the current folder instead
</source>
        <translation>  --sim-ymodem-peer COMMANDE
                    (device update) un récepteur YMODEM externe (ex.
                    &apos;rb -b -y&apos;) tourne à la place dans le dossier courant
</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliHelp.cpp" line="166"/>
        <source>  --sim-image FILE  (device update) writes what the simulated bootloader
                    received: the YMODEM file&apos;s bytes, or the XCP memory as
                    S-records

</source>
        <translation>  --sim-image FILE  (device update) écrit ce que le chargeur simulé a reçu :
                    les octets du fichier YMODEM, ou la mémoire XCP en
                    S-records

</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliHelp.cpp" line="171"/>
        <source>Diagnostics:
</source>
        <translation>Diagnostic :
</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliHelp.cpp" line="172"/>
        <source>  --verbose         (anywhere on the line) log every step on standard error: USB,
                    BLE, each request and answer as hex (LoRaWAN keys masked),
                    the device session; QT_LOGGING_RULES narrows it down (e.g.
                    QT_LOGGING_RULES=&quot;pelm.protocol.debug=false&quot;)

</source>
        <translation>  --verbose         (n&apos;importe où sur la ligne) journaliser chaque étape sur la
                    sortie d&apos;erreur : USB, BLE, chaque requête et réponse en hexa
                    (clés LoRaWAN masquées), la session de l&apos;appareil ;
                    QT_LOGGING_RULES restreint le journal (ex.
                    QT_LOGGING_RULES=&quot;pelm.protocol.debug=false&quot;)

</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliHelp.cpp" line="178"/>
        <source>Boxes the program would show are printed on standard error; questions take
their default answer (Cancel/No) unless an option says otherwise.

</source>
        <translation>Les messages que le programme afficherait en boîte de dialogue sont écrits sur la
sortie d&apos;erreur ; les questions prennent leur réponse par défaut (Annuler/Non)
sauf si une option en décide autrement.

</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliHelp.cpp" line="182"/>
        <source>Language:
  Messages and this help are in French when the locale says so (LC_ALL,
  LC_MESSAGES or LANG set to fr_*, e.g. LANG=fr_FR.UTF-8). What scripts read
  stays in English: JSON, the &quot;accepted&quot;/&quot;REFUSED&quot; lines, the roll-out
  outcome line, &quot;up to date&quot;, &quot;segments N&quot; and the other report lines.

</source>
        <translation>Langue :
  Les messages et cette aide sont en français quand la locale l&apos;indique (LC_ALL,
  LC_MESSAGES ou LANG à fr_*, ex. LANG=fr_FR.UTF-8). Ce que lisent les scripts
  reste en anglais : le JSON, les lignes &quot;accepted&quot;/&quot;REFUSED&quot;, la ligne de
  résultat de mise en service, &quot;up to date&quot;, &quot;segments N&quot; et les autres lignes
  de compte rendu.

</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliHelp.cpp" line="189"/>
        <source>Exit codes:
  0  success
  1  unknown command or bad arguments
  2  a file could not be read, written, or is not a configuration file
  3  some input was invalid (frame lines, a key file), some parameters could not
     be packed, or the device refused some parameters or keys
  4  no device, the device did not answer, or it is not a supported device;
     doctor: a device is plugged in but can&apos;t be opened;
     update-check: no answer from the release service, or not a release document
  5  the firmware update was refused, failed or was stopped
</source>
        <translation>Codes de sortie :
  0  succès
  1  commande inconnue ou arguments incorrects
  2  un fichier n&apos;a pas pu être lu ou écrit, ou n&apos;est pas un fichier de configuration
  3  une entrée n&apos;était pas valide (lignes de trames, fichier de clés), des
     paramètres n&apos;ont pas pu être regroupés, ou l&apos;appareil a refusé des paramètres
     ou des clés
  4  aucun appareil, l&apos;appareil n&apos;a pas répondu, ou ce n&apos;est pas un appareil pris
     en charge ; doctor : un appareil est branché mais ne peut pas être ouvert ;
     update-check : pas de réponse du service des versions, ou pas un document de
     version
  5  la mise à jour du micrologiciel a été refusée, a échoué ou a été arrêtée
</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliHelp.cpp" line="212"/>
        <source>Usage: pelm-cli COMMAND [ARGUMENTS]</source>
        <translation>Utilisation : pelm-cli COMMANDE [ARGUMENTS]</translation>
    </message>
    <message>
        <location filename="../../src/cli/CliHelp.cpp" line="218"/>
        <source>Try &apos;pelm-cli --help&apos;.</source>
        <translation>Essayez &apos;pelm-cli --help&apos;.</translation>
    </message>
</context>
<context>
    <name>ConfigDiff</name>
    <message>
        <location filename="../../src/device/family/ConfigDiff.cpp" line="146"/>
        <source>(empty)</source>
        <translation>(vide)</translation>
    </message>
    <message>
        <location filename="../../src/device/family/ConfigDiff.cpp" line="186"/>
        <source>the module&apos;s own class</source>
        <translation>la classe propre au module</translation>
    </message>
    <message>
        <location filename="../../src/device/family/ConfigDiff.cpp" line="196"/>
        <source>high</source>
        <translation>haut</translation>
    </message>
    <message>
        <location filename="../../src/device/family/ConfigDiff.cpp" line="197"/>
        <source>low</source>
        <translation>bas</translation>
    </message>
    <message>
        <location filename="../../src/device/family/ConfigDiff.cpp" line="198"/>
        <source>hysteresis</source>
        <translation>hystérésis</translation>
    </message>
    <message>
        <location filename="../../src/device/family/ConfigDiff.cpp" line="199"/>
        <source>duration</source>
        <translation>durée</translation>
    </message>
    <message>
        <location filename="../../src/device/family/ConfigDiff.cpp" line="200"/>
        <source>fast TX period</source>
        <translation>période d&apos;émission rapide</translation>
    </message>
    <message>
        <location filename="../../src/device/family/ConfigDiff.cpp" line="212"/>
        <source>number of samples</source>
        <translation>nombre d&apos;échantillons</translation>
    </message>
    <message>
        <location filename="../../src/device/family/ConfigDiff.cpp" line="213"/>
        <source>depth of historic</source>
        <translation>profondeur de l&apos;historique</translation>
    </message>
    <message>
        <location filename="../../src/device/family/ConfigDiff.cpp" line="214"/>
        <source>statement period</source>
        <translation>période de relevé</translation>
    </message>
    <message>
        <location filename="../../src/device/family/ConfigDiff.cpp" line="284"/>
        <source>(none)</source>
        <translation>(aucune)</translation>
    </message>
    <message>
        <location filename="../../src/device/family/ConfigDiff.cpp" line="380"/>
        <source>No parameter differs.</source>
        <translation>Aucun paramètre ne diffère.</translation>
    </message>
    <message>
        <location filename="../../src/device/family/ConfigDiff.cpp" line="390"/>
        <source>Write to the device?</source>
        <translation>Écrire dans l&apos;appareil ?</translation>
    </message>
    <message>
        <location filename="../../src/device/family/ConfigDiff.cpp" line="391"/>
        <source>Writing changes these values of the device:</source>
        <translation>L&apos;écriture modifie ces valeurs de l&apos;appareil :</translation>
    </message>
    <message>
        <location filename="../../src/device/family/ConfigDiff.cpp" line="395"/>
        <source>Write</source>
        <translation>Écrire</translation>
    </message>
    <message>
        <location filename="../../src/device/family/ConfigDiff.cpp" line="396"/>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
</context>
<context>
    <name>ConfigFile</name>
    <message>
        <location filename="../../src/device/files/ConfigFile.cpp" line="74"/>
        <source>File error</source>
        <translation>Erreur de fichier</translation>
    </message>
    <message>
        <location filename="../../src/device/files/ConfigFile.cpp" line="79"/>
        <source>Error file</source>
        <translation>Fichier en erreur</translation>
    </message>
    <message>
        <location filename="../../src/device/files/ConfigFile.cpp" line="88"/>
        <source>Load configuration from &apos;%1&apos; has failed !</source>
        <translation>Le chargement de la configuration depuis « %1 » a échoué !</translation>
    </message>
    <message>
        <location filename="../../src/device/files/ConfigFile.cpp" line="93"/>
        <source>Load configuration from %1, has succeeded !</source>
        <translation>Le chargement de la configuration depuis %1 a réussi !</translation>
    </message>
    <message>
        <location filename="../../src/device/files/ConfigFile.cpp" line="99"/>
        <source>Load configuration from %1, is uncompleted !</source>
        <translation>Le chargement de la configuration depuis %1 est incomplet !</translation>
    </message>
    <message>
        <location filename="../../src/device/files/ConfigFile.cpp" line="113"/>
        <source>Can&apos;t open file &apos;%1&apos;!</source>
        <translation>Impossible d&apos;ouvrir le fichier « %1 » !</translation>
    </message>
    <message>
        <location filename="../../src/device/files/ConfigFile.cpp" line="119"/>
        <source>The file &apos;%1&apos; is too large for a configuration file (more than %2 MiB)! It can&apos;t be loaded.</source>
        <translation>Le fichier « %1 » est trop volumineux pour un fichier de configuration (plus de %2 Mio) ! Il ne peut pas être chargé.</translation>
    </message>
    <message>
        <location filename="../../src/device/files/ConfigFile.cpp" line="179"/>
        <source>The file &apos;%1&apos; don&apos;t has main section or %2 section! The file is uncompleted and can&apos;t be loaded.</source>
        <translation>Le fichier « %1 » n&apos;a pas de section principale ou de section %2 ! Le fichier est incomplet et ne peut pas être chargé.</translation>
    </message>
    <message>
        <location filename="../../src/device/files/ConfigFile.cpp" line="242"/>
        <source>The file &apos;%1&apos; don&apos;t has %2 section! The file is uncompleted and can&apos;t loaded.</source>
        <translation>Le fichier « %1 » n&apos;a pas de section %2 ! Le fichier est incomplet et ne peut pas être chargé.</translation>
    </message>
    <message>
        <location filename="../../src/device/files/ConfigFile.cpp" line="251"/>
        <source>No ORV matched</source>
        <translation>ORV non concordant</translation>
    </message>
    <message>
        <location filename="../../src/device/files/ConfigFile.cpp" line="252"/>
        <source>The specified file is for ORV &apos;%1&apos;, your present ORV is &apos;%2&apos;.</source>
        <translation>Le fichier indiqué est prévu pour l&apos;ORV « %1 », votre ORV actuel est « %2 ».</translation>
    </message>
    <message>
        <location filename="../../src/device/files/ConfigFile.cpp" line="254"/>
        <source>You must specifies or connect the same ORV type.</source>
        <translation>Vous devez indiquer ou connecter le même type d&apos;ORV.</translation>
    </message>
    <message>
        <location filename="../../src/device/files/ConfigFile.cpp" line="265"/>
        <source>No KIV matched</source>
        <translation>KIV non concordant</translation>
    </message>
    <message>
        <location filename="../../src/device/files/ConfigFile.cpp" line="266"/>
        <source>The specified file is for KIV &apos;%1&apos;, your present KIV is &apos;%2&apos;.</source>
        <translation>Le fichier indiqué est prévu pour le KIV « %1 », votre KIV actuel est « %2 ».</translation>
    </message>
    <message>
        <location filename="../../src/device/files/ConfigFile.cpp" line="268"/>
        <source>You must specifies or connect the same KIV type.</source>
        <translation>Vous devez indiquer ou connecter le même type de KIV.</translation>
    </message>
    <message>
        <location filename="../../src/device/files/ConfigFile.cpp" line="269"/>
        <source>Do you want to processes opening file anyway ?</source>
        <translation>Voulez-vous quand même ouvrir le fichier ?</translation>
    </message>
    <message>
        <location filename="../../src/device/files/ConfigFile.cpp" line="280"/>
        <location filename="../../src/device/files/ConfigFile.cpp" line="312"/>
        <source>The file &apos;%1&apos; don&apos;t have a parameters! The file is uncompleted and can&apos;t loaded.</source>
        <translation>Le fichier « %1 » ne contient aucun paramètre ! Le fichier est incomplet et ne peut pas être chargé.</translation>
    </message>
    <message>
        <location filename="../../src/device/files/ConfigFile.cpp" line="304"/>
        <source>Check parameters</source>
        <translation>Vérification des paramètres</translation>
    </message>
    <message>
        <location filename="../../src/device/files/ConfigFile.cpp" line="305"/>
        <source>Some records of the file &apos;%1&apos; are not configuration parameters of this device:

%2</source>
        <translation>Certains enregistrements du fichier &apos;%1&apos; ne sont pas des paramètres de configuration de cet appareil :

%2</translation>
    </message>
    <message>
        <location filename="../../src/device/files/ConfigFile.cpp" line="369"/>
        <source>Save configuration to &apos;%1&apos; has failed !</source>
        <translation>L&apos;enregistrement de la configuration dans « %1 » a échoué !</translation>
    </message>
    <message>
        <location filename="../../src/device/files/ConfigFile.cpp" line="376"/>
        <source>Can&apos;t write file &apos;%1&apos;! It is not a regular file.</source>
        <translation>Impossible d&apos;écrire le fichier « %1 » ! Ce n&apos;est pas un fichier ordinaire.</translation>
    </message>
    <message>
        <location filename="../../src/device/files/ConfigFile.cpp" line="389"/>
        <location filename="../../src/device/files/ConfigFile.cpp" line="396"/>
        <source>Can&apos;t write file &apos;%1&apos;!</source>
        <translation>Impossible d&apos;écrire le fichier « %1 » !</translation>
    </message>
    <message>
        <location filename="../../src/device/files/ConfigFile.cpp" line="400"/>
        <source>Save configuration to &apos;%1&apos; has succeeded !</source>
        <translation>L&apos;enregistrement de la configuration dans « %1 » a réussi !</translation>
    </message>
</context>
<context>
    <name>Csv</name>
    <message>
        <location filename="../../src/common/Csv.cpp" line="90"/>
        <source>A quoted field is not closed.</source>
        <translation>Un champ entre guillemets n&apos;est pas fermé.</translation>
    </message>
    <message>
        <location filename="../../src/common/Csv.cpp" line="93"/>
        <source>Unexpected text after a closing quote.</source>
        <translation>Texte inattendu après un guillemet fermant.</translation>
    </message>
    <message>
        <location filename="../../src/common/Csv.cpp" line="97"/>
        <source>A double quote inside an unquoted field.</source>
        <translation>Un guillemet dans un champ sans guillemets.</translation>
    </message>
</context>
<context>
    <name>DeviceFactory</name>
    <message>
        <location filename="../../src/device/session/DeviceFactory.cpp" line="137"/>
        <source>A device is plugged in, but this user may not open it: %1 (USB %2). Install the device rules %3 (the package does), then unplug the device and plug it in again.</source>
        <translation>Un appareil est branché, mais cet utilisateur n&apos;a pas le droit de l&apos;ouvrir : %1 (USB %2). Installez les règles d&apos;appareil %3 (le paquet le fait), puis débranchez l&apos;appareil et rebranchez-le.</translation>
    </message>
</context>
<context>
    <name>DeviceSession</name>
    <message>
        <location filename="../../src/device/session/DeviceSession.cpp" line="138"/>
        <location filename="../../src/device/session/DeviceSessionBackup.cpp" line="69"/>
        <source>The device is busy, try again in a moment.</source>
        <translation>L&apos;appareil est occupé, réessayez dans un instant.</translation>
    </message>
    <message>
        <location filename="../../src/device/session/DeviceSession.cpp" line="259"/>
        <source>Load configuration failed !</source>
        <translation>Échec du chargement de la configuration !</translation>
    </message>
    <message>
        <location filename="../../src/device/session/DeviceSession.cpp" line="260"/>
        <source>No/Bad response from device! Please retry to load the configuration or disconnect and reconnect your device.</source>
        <translation>Réponse absente ou incorrecte de l&apos;appareil ! Veuillez recharger la configuration, ou déconnecter puis reconnecter votre appareil.</translation>
    </message>
    <message>
        <location filename="../../src/device/session/DeviceSession.cpp" line="262"/>
        <source>Load configuration from %1, has failed !</source>
        <translation>Le chargement de la configuration depuis %1 a échoué !</translation>
    </message>
    <message>
        <location filename="../../src/device/session/DeviceSession.cpp" line="275"/>
        <source>Load configuration from %1, is uncompleted !</source>
        <translation>Le chargement de la configuration depuis %1 est incomplet !</translation>
    </message>
    <message>
        <location filename="../../src/device/session/DeviceSession.cpp" line="277"/>
        <source>Load configuration from %1, has succeeded !</source>
        <translation>Le chargement de la configuration depuis %1 a réussi !</translation>
    </message>
    <message>
        <location filename="../../src/device/session/DeviceSession.cpp" line="316"/>
        <source>Unknown parameters</source>
        <translation>Paramètres inconnus</translation>
    </message>
    <message>
        <location filename="../../src/device/session/DeviceSession.cpp" line="322"/>
        <source>failed</source>
        <translation>échec</translation>
    </message>
    <message>
        <location filename="../../src/device/session/DeviceSession.cpp" line="326"/>
        <source>Some parameter of the configuration as failed:</source>
        <translation>Certains paramètres de la configuration ont échoué :</translation>
    </message>
    <message>
        <location filename="../../src/device/session/DeviceSession.cpp" line="352"/>
        <location filename="../../src/device/session/DeviceSession.cpp" line="387"/>
        <location filename="../../src/device/session/DeviceSession.cpp" line="434"/>
        <location filename="../../src/device/session/DeviceSession.cpp" line="445"/>
        <source>Apply configuration failed !</source>
        <translation>Échec de l&apos;application de la configuration !</translation>
    </message>
    <message>
        <location filename="../../src/device/session/DeviceSession.cpp" line="353"/>
        <location filename="../../src/device/session/DeviceSession.cpp" line="446"/>
        <source>No/Bad response from device! Please retry to apply the configuration.</source>
        <translation>Réponse absente ou incorrecte de l&apos;appareil ! Veuillez appliquer de nouveau la configuration.</translation>
    </message>
    <message>
        <location filename="../../src/device/session/DeviceSession.cpp" line="354"/>
        <location filename="../../src/device/session/DeviceSession.cpp" line="367"/>
        <location filename="../../src/device/session/DeviceSession.cpp" line="390"/>
        <location filename="../../src/device/session/DeviceSession.cpp" line="437"/>
        <location filename="../../src/device/session/DeviceSession.cpp" line="447"/>
        <source>Apply configuration to %1, has failed !</source>
        <translation>L&apos;application de la configuration à %1 a échoué !</translation>
    </message>
    <message>
        <location filename="../../src/device/session/DeviceSession.cpp" line="362"/>
        <source>Apply configuration to %1, has succeeded !</source>
        <translation>L&apos;application de la configuration à %1 a réussi !</translation>
    </message>
    <message>
        <location filename="../../src/device/session/DeviceSession.cpp" line="366"/>
        <source>Apply configuration failed</source>
        <translation>Échec de l&apos;application de la configuration</translation>
    </message>
    <message>
        <location filename="../../src/device/session/DeviceSession.cpp" line="388"/>
        <source>The configuration has not been read from the device. Reload it from the device before applying.</source>
        <translation>La configuration n&apos;a pas été lue depuis l&apos;appareil. Rechargez-la depuis l&apos;appareil avant de l&apos;appliquer.</translation>
    </message>
    <message>
        <location filename="../../src/device/session/DeviceSession.cpp" line="435"/>
        <source>Nothing was written: the configuration holds values the device can&apos;t take.</source>
        <translation>Rien n&apos;a été écrit : la configuration contient des valeurs que l&apos;appareil ne peut pas prendre.</translation>
    </message>
    <message>
        <location filename="../../src/device/session/DeviceSession.cpp" line="490"/>
        <location filename="../../src/device/session/DeviceSession.cpp" line="502"/>
        <source>Default configuration failed !</source>
        <translation>Échec de la configuration par défaut !</translation>
    </message>
    <message>
        <location filename="../../src/device/session/DeviceSession.cpp" line="490"/>
        <location filename="../../src/device/session/DeviceSession.cpp" line="502"/>
        <source>An error as occurred from restoration !</source>
        <translation>Une erreur est survenue pendant la restauration !</translation>
    </message>
    <message>
        <location filename="../../src/device/session/DeviceSession.cpp" line="491"/>
        <location filename="../../src/device/session/DeviceSession.cpp" line="503"/>
        <source>Default configuration from %1, has failed !</source>
        <translation>La restauration de la configuration par défaut de %1 a échoué !</translation>
    </message>
    <message>
        <location filename="../../src/device/session/DeviceSession.cpp" line="517"/>
        <source>Default configuration from %1, has succeeded !</source>
        <translation>La restauration de la configuration par défaut de %1 a réussi !</translation>
    </message>
    <message>
        <location filename="../../src/device/session/DeviceSession.cpp" line="551"/>
        <source>%1 unknown parameters in all.</source>
        <translation>%1 paramètres inconnus en tout.</translation>
    </message>
    <message>
        <location filename="../../src/device/session/DeviceSession.cpp" line="553"/>
        <location filename="../../src/device/session/DeviceSession.cpp" line="700"/>
        <source>Check parameters</source>
        <translation>Vérification des paramètres</translation>
    </message>
    <message>
        <location filename="../../src/device/session/DeviceSession.cpp" line="546"/>
        <source>Some parameters in the device are unknown in the current version of this software. There is probably a newer version available.
Please, upgrade this software!

List of the unknown parameters : </source>
        <translation>Certains paramètres de l&apos;appareil sont inconnus de la version actuelle de ce logiciel. Une version plus récente est probablement disponible.
Veuillez mettre à jour ce logiciel !

Liste des paramètres inconnus : </translation>
    </message>
    <message>
        <location filename="../../src/device/session/DeviceSession.cpp" line="701"/>
        <source>Some records of the frames are not configuration parameters of this device:</source>
        <translation>Certains enregistrements des trames ne sont pas des paramètres de configuration de cet appareil :</translation>
    </message>
    <message>
        <location filename="../../src/device/session/DeviceSession.cpp" line="711"/>
        <source>Import %1 parameters from %2 frames, has uncompleted !</source>
        <translation>L&apos;import de %1 paramètres depuis %2 trames est incomplet !</translation>
    </message>
    <message>
        <location filename="../../src/device/session/DeviceSession.cpp" line="713"/>
        <source>Import %1 parameters from %2 frames, has succeeded !</source>
        <translation>L&apos;import de %1 paramètres depuis %2 trames a réussi !</translation>
    </message>
    <message>
        <location filename="../../src/device/session/DeviceSessionBackup.cpp" line="75"/>
        <location filename="../../src/device/session/DeviceSessionBackup.cpp" line="118"/>
        <source>The device&apos;s configuration could not be read.</source>
        <translation>La configuration de l&apos;appareil n&apos;a pas pu être lue.</translation>
    </message>
    <message>
        <location filename="../../src/device/session/DeviceSessionBackup.cpp" line="98"/>
        <source>The device already holds these values: nothing was written.</source>
        <translation>L&apos;appareil a déjà ces valeurs : rien n&apos;a été écrit.</translation>
    </message>
    <message>
        <location filename="../../src/device/session/DeviceSessionBackup.cpp" line="103"/>
        <source>Nothing was written.</source>
        <translation>Rien n&apos;a été écrit.</translation>
    </message>
    <message>
        <location filename="../../src/device/session/DeviceSessionBackup.cpp" line="131"/>
        <source>Backup failed</source>
        <translation>Échec de la sauvegarde</translation>
    </message>
    <message>
        <location filename="../../src/device/session/DeviceSessionBackup.cpp" line="132"/>
        <source>The device&apos;s configuration could not be saved before writing:
%1

Write without a backup?</source>
        <translation>La configuration de l&apos;appareil n&apos;a pas pu être sauvegardée avant l&apos;écriture :
%1

Écrire sans sauvegarde ?</translation>
    </message>
    <message>
        <location filename="../../src/device/session/DeviceSessionBackup.cpp" line="143"/>
        <source>Nothing was written: the backup could not be saved.</source>
        <translation>Rien n&apos;a été écrit : la sauvegarde n&apos;a pas pu être enregistrée.</translation>
    </message>
</context>
<context>
    <name>DlgChangeKeys</name>
    <message>
        <location filename="../../src/tools/DlgChangeKeys.ui" line="14"/>
        <source>Enter new LoRaWan Keys</source>
        <translation>Saisissez les nouvelles clés LoRaWAN</translation>
    </message>
    <message>
        <location filename="../../src/tools/DlgChangeKeys.ui" line="22"/>
        <source>AppEUI</source>
        <translation>AppEUI</translation>
    </message>
    <message>
        <location filename="../../src/tools/DlgChangeKeys.ui" line="32"/>
        <source>AppKey</source>
        <translation>AppKey</translation>
    </message>
    <message>
        <location filename="../../src/tools/DlgChangeKeys.ui" line="42"/>
        <source>DevEUI</source>
        <translation>DevEUI</translation>
    </message>
    <message>
        <location filename="../../src/tools/DlgChangeKeys.ui" line="61"/>
        <location filename="../../src/tools/DlgChangeKeys.cpp" line="113"/>
        <source>Change Keys</source>
        <translation>Changer les clés</translation>
    </message>
    <message>
        <location filename="../../src/tools/DlgChangeKeys.cpp" line="92"/>
        <source>Change LoRaWAN keys</source>
        <translation>Changer les clés LoRaWAN</translation>
    </message>
    <message>
        <location filename="../../src/tools/DlgChangeKeys.cpp" line="104"/>
        <source>Success</source>
        <translation>Réussi</translation>
    </message>
</context>
<context>
    <name>DlgMakeFrames</name>
    <message>
        <location filename="../../src/tools/DlgMakeFrames.ui" line="14"/>
        <source>Frames</source>
        <translation>Trames</translation>
    </message>
    <message>
        <location filename="../../src/tools/DlgMakeFrames.cpp" line="15"/>
        <source>Import frames</source>
        <translation>Importer des trames</translation>
    </message>
    <message>
        <location filename="../../src/tools/DlgMakeFrames.cpp" line="29"/>
        <source>Export frames</source>
        <translation>Exporter des trames</translation>
    </message>
</context>
<context>
    <name>DlgUartTerm</name>
    <message>
        <location filename="../../src/tools/DlgUartTerm.ui" line="20"/>
        <source>Kiv terminal</source>
        <translation>Terminal Kiv</translation>
    </message>
</context>
<context>
    <name>FamilyModel</name>
    <message>
        <location filename="../../src/device/family/FamilyModel.cpp" line="159"/>
        <source>%1 is out of range (%2 to %3)</source>
        <translation>%1 est hors limites (%2 à %3)</translation>
    </message>
    <message>
        <location filename="../../src/device/family/FamilyModel.cpp" line="170"/>
        <source>high threshold %1 is above %2</source>
        <translation>le seuil haut %1 dépasse %2</translation>
    </message>
    <message>
        <location filename="../../src/device/family/FamilyModel.cpp" line="172"/>
        <source>low threshold %1 is below %2</source>
        <translation>le seuil bas %1 est inférieur à %2</translation>
    </message>
    <message>
        <location filename="../../src/device/family/FamilyModel.cpp" line="175"/>
        <source>hysteresis %1 does not fit between low %2 and high %3</source>
        <translation>l&apos;hystérésis %1 ne tient pas entre le bas %2 et le haut %3</translation>
    </message>
    <message>
        <location filename="../../src/device/family/FamilyModel.cpp" line="177"/>
        <source>duration %1 s is out of range (0 to %2)</source>
        <translation>la durée %1 s est hors limites (0 à %2)</translation>
    </message>
    <message>
        <location filename="../../src/device/family/FamilyModel.cpp" line="179"/>
        <source>fast TX period %1 min is out of range (0 or %2 to %3)</source>
        <translation>la période d&apos;émission rapide %1 min est hors limites (0 ou %2 à %3)</translation>
    </message>
    <message>
        <location filename="../../src/device/family/FamilyModel.cpp" line="320"/>
        <source>%1 is neither 01 (LoRaWAN only) nor 11 (LoRaWAN + BLE)</source>
        <translation>%1 n&apos;est ni 01 (LoRaWAN seul) ni 11 (LoRaWAN + BLE)</translation>
    </message>
    <message>
        <location filename="../../src/device/family/FamilyModel.cpp" line="327"/>
        <source>%1 is no radio class or zone code</source>
        <translation>%1 n&apos;est pas un code de classe ou de zone radio</translation>
    </message>
    <message>
        <location filename="../../src/device/family/FamilyModel.cpp" line="332"/>
        <source>%1 is no samples and depth code</source>
        <translation>%1 n&apos;est pas un code d&apos;échantillons et de profondeur</translation>
    </message>
    <message>
        <location filename="../../src/device/family/FamilyModel.cpp" line="335"/>
        <source>statement period %1 min is out of range (%2 to %3)</source>
        <translation>la période de relevé %1 min est hors limites (%2 à %3)</translation>
    </message>
    <message numerus="yes">
        <location filename="../../src/device/family/FamilyModel.cpp" line="364"/>
        <source>%n byte(s) where the parameter has %1</source>
        <translation>
            <numerusform>%n octet là où le paramètre en a %1</numerusform>
            <numerusform>%n octets là où le paramètre en a %1</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>FamilyModel::LeftOut</name>
    <message>
        <location filename="../../src/device/family/FamilyModel.cpp" line="222"/>
        <source>parameter %1 is not a configuration parameter and was left out</source>
        <translation>le paramètre %1 n&apos;est pas un paramètre de configuration et a été omis</translation>
    </message>
    <message>
        <location filename="../../src/device/family/FamilyModel.cpp" line="224"/>
        <source>parameter %1 (%2) is a LoRaWAN key and was left out</source>
        <translation>le paramètre %1 (%2) est une clé LoRaWAN et a été omis</translation>
    </message>
    <message>
        <location filename="../../src/device/family/FamilyModel.cpp" line="228"/>
        <source>parameter %1 is unknown to this device and was left out</source>
        <translation>le paramètre %1 est inconnu de cet appareil et a été omis</translation>
    </message>
</context>
<context>
    <name>FirmwareUpdater</name>
    <message>
        <location filename="../../src/update/FirmwareUpdater.cpp" line="96"/>
        <source>Firmware files (*.hex *.srec *.sfb)</source>
        <translation>Fichiers de micrologiciel (*.hex *.srec *.sfb)</translation>
    </message>
    <message>
        <location filename="../../src/update/FirmwareUpdater.cpp" line="120"/>
        <source>The firmware file %1 is empty.</source>
        <translation>Le fichier de micrologiciel %1 est vide.</translation>
    </message>
    <message>
        <location filename="../../src/update/FirmwareUpdater.cpp" line="122"/>
        <source>The firmware file %1 is too large.</source>
        <translation>Le fichier de micrologiciel %1 est trop grand.</translation>
    </message>
    <message>
        <location filename="../../src/update/FirmwareUpdater.cpp" line="134"/>
        <source>Line %1 of the firmware file %2 is corrupt (byte count or checksum): nothing was sent.</source>
        <translation>La ligne %1 du fichier de micrologiciel %2 est corrompue (nombre d&apos;octets ou somme de contrôle) : rien n&apos;a été envoyé.</translation>
    </message>
    <message>
        <location filename="../../src/update/FirmwareUpdater.cpp" line="138"/>
        <source>The firmware file %1 holds no data records.</source>
        <translation>Le fichier de micrologiciel %1 ne contient aucun enregistrement de données.</translation>
    </message>
    <message>
        <location filename="../../src/update/FirmwareUpdater.cpp" line="201"/>
        <source>Firmware : </source>
        <translation>Micrologiciel : </translation>
    </message>
    <message>
        <location filename="../../src/update/FirmwareUpdater.cpp" line="202"/>
        <source>Bootloader : </source>
        <translation>Chargeur d&apos;amorçage : </translation>
    </message>
    <message>
        <location filename="../../src/update/FirmwareUpdater.cpp" line="282"/>
        <source>An update is already running.</source>
        <translation>Une mise à jour est déjà en cours.</translation>
    </message>
    <message>
        <location filename="../../src/update/FirmwareUpdater.cpp" line="295"/>
        <source>This kind of bootloader with ORV is not supported</source>
        <translation>Ce type de chargeur d&apos;amorçage n&apos;est pas pris en charge avec l&apos;ORV</translation>
    </message>
    <message>
        <location filename="../../src/update/FirmwareUpdater.cpp" line="298"/>
        <source>This kind of bootloader with KIV-BLE is not supported</source>
        <translation>Ce type de chargeur d&apos;amorçage n&apos;est pas pris en charge avec le KIV-BLE</translation>
    </message>
    <message>
        <location filename="../../src/update/FirmwareUpdater.cpp" line="303"/>
        <source>The file %1 is not a firmware file for the bootloader &quot;%2&quot; (%3).</source>
        <translation>Le fichier %1 n&apos;est pas un fichier de micrologiciel pour le chargeur d&apos;amorçage « %2 » (%3).</translation>
    </message>
    <message>
        <location filename="../../src/update/FirmwareUpdater.cpp" line="419"/>
        <source>The device did not come back on USB after the update: it can&apos;t be read again.</source>
        <translation>L&apos;appareil n&apos;est pas revenu sur l&apos;USB après la mise à jour : il ne peut pas être relu.</translation>
    </message>
    <message>
        <location filename="../../src/update/FirmwareUpdater.cpp" line="424"/>
        <source>The device did not answer after the update.</source>
        <translation>L&apos;appareil n&apos;a pas répondu après la mise à jour.</translation>
    </message>
    <message>
        <location filename="../../src/update/FirmwareUpdater.cpp" line="117"/>
        <location filename="../../src/update/FirmwareUpdater.cpp" line="131"/>
        <source>The firmware file %1 can&apos;t be read.</source>
        <translation>Le fichier de micrologiciel %1 ne peut pas être lu.</translation>
    </message>
    <message>
        <location filename="../../src/update/FirmwareUpdater.cpp" line="306"/>
        <source>This controller is updated over BLE: connect to the device over BLE.</source>
        <translation>Ce contrôleur se met à jour en BLE : connectez-vous à l&apos;appareil en BLE.</translation>
    </message>
    <message>
        <location filename="../../src/update/FirmwareUpdater.cpp" line="325"/>
        <source>The device is busy. Please retry.</source>
        <translation>L&apos;appareil est occupé. Veuillez réessayer.</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgDeviceUpdater.cpp" line="163"/>
        <location filename="../../src/update/FirmwareUpdater.cpp" line="37"/>
        <source>Ble Connection failed. Please retry.</source>
        <translation>Échec de la connexion BLE. Veuillez réessayer.</translation>
    </message>
</context>
<context>
    <name>FrameQr</name>
    <message>
        <location filename="../../src/frames/FrameQr.cpp" line="24"/>
        <source>There is no frame to put into a QR Code.</source>
        <translation>Il n&apos;y a aucune trame à mettre dans un QR Code.</translation>
    </message>
    <message>
        <location filename="../../src/frames/FrameQr.cpp" line="39"/>
        <source>The text of the frames (%1 characters) is too long for one QR Code.</source>
        <translation>Le texte des trames (%1 caractères) est trop long pour un seul QR Code.</translation>
    </message>
    <message>
        <location filename="../../src/frames/FrameQr.cpp" line="72"/>
        <source>Couldn&apos;t save QR Code image.</source>
        <translation>Impossible d&apos;enregistrer l&apos;image du QR Code.</translation>
    </message>
    <message>
        <location filename="../../src/frames/FrameQr.cpp" line="77"/>
        <source>QR Code</source>
        <translation>QR Code</translation>
    </message>
</context>
<context>
    <name>KeyList</name>
    <message>
        <location filename="../../src/device/rollout/KeyList.cpp" line="47"/>
        <source>Line %1 of the key list: %2</source>
        <translation>Ligne %1 de la liste de clés : %2</translation>
    </message>
    <message>
        <location filename="../../src/device/rollout/KeyList.cpp" line="58"/>
        <source>The key list is empty.</source>
        <translation>La liste de clés est vide.</translation>
    </message>
    <message>
        <location filename="../../src/device/rollout/KeyList.cpp" line="65"/>
        <source>The key list must begin with the line &quot;DevEUI,AppEUI,AppKey&quot;.</source>
        <translation>La liste de clés doit commencer par la ligne « DevEUI,AppEUI,AppKey ».</translation>
    </message>
    <message>
        <location filename="../../src/device/rollout/KeyList.cpp" line="74"/>
        <source>Line %1 of the key list must have 3 fields (DevEUI, AppEUI, AppKey).</source>
        <translation>La ligne %1 de la liste de clés doit avoir 3 champs (DevEUI, AppEUI, AppKey).</translation>
    </message>
    <message>
        <location filename="../../src/device/rollout/KeyList.cpp" line="77"/>
        <source>Line %1 of the key list: the DevEUI must have 16 hexadecimal digits.</source>
        <translation>Ligne %1 de la liste de clés : le DevEUI doit avoir 16 chiffres hexadécimaux.</translation>
    </message>
    <message>
        <location filename="../../src/device/rollout/KeyList.cpp" line="81"/>
        <source>Line %1 of the key list: the AppEUI must have 16 hexadecimal digits.</source>
        <translation>Ligne %1 de la liste de clés : l&apos;AppEUI doit avoir 16 chiffres hexadécimaux.</translation>
    </message>
    <message>
        <location filename="../../src/device/rollout/KeyList.cpp" line="84"/>
        <source>Line %1 of the key list: the AppKey must have 32 hexadecimal digits.</source>
        <translation>Ligne %1 de la liste de clés : l&apos;AppKey doit avoir 32 chiffres hexadécimaux.</translation>
    </message>
    <message>
        <location filename="../../src/device/rollout/KeyList.cpp" line="86"/>
        <source>Line %1 of the key list: the DevEUI %2 is listed twice.</source>
        <translation>Ligne %1 de la liste de clés : le DevEUI %2 figure deux fois.</translation>
    </message>
    <message>
        <location filename="../../src/device/rollout/KeyList.cpp" line="100"/>
        <source>Can&apos;t open file &apos;%1&apos;!</source>
        <translation>Impossible d&apos;ouvrir le fichier « %1 » !</translation>
    </message>
    <message>
        <location filename="../../src/device/rollout/KeyList.cpp" line="105"/>
        <source>The key list &apos;%1&apos; is too large.</source>
        <translation>La liste de clés « %1 » est trop volumineuse.</translation>
    </message>
</context>
<context>
    <name>LoRaWanKeys</name>
    <message>
        <location filename="../../src/device/session/LoRaWanKeys.cpp" line="55"/>
        <source>The %1 must have %2 hexadecimal digits.</source>
        <extracomment>%1 is the key&apos;s name (AppEUI or AppKey), %2 its number of digits</extracomment>
        <translation>La valeur %1 doit avoir %2 chiffres hexadécimaux.</translation>
    </message>
    <message>
        <location filename="../../src/device/session/LoRaWanKeys.cpp" line="130"/>
        <source>Line %1 is neither &quot;AppEUI=...&quot; nor &quot;AppKey=...&quot;.</source>
        <translation>La ligne %1 n&apos;est ni « AppEUI=... » ni « AppKey=... ».</translation>
    </message>
    <message>
        <location filename="../../src/device/session/LoRaWanKeys.cpp" line="134"/>
        <source>The %1 is given more than once (line %2).</source>
        <translation>La valeur %1 est donnée plusieurs fois (ligne %2).</translation>
    </message>
    <message>
        <location filename="../../src/device/session/LoRaWanKeys.cpp" line="138"/>
        <source>Line %1: %2</source>
        <translation>Ligne %1 : %2</translation>
    </message>
    <message>
        <location filename="../../src/device/session/LoRaWanKeys.cpp" line="142"/>
        <location filename="../../src/device/session/LoRaWanKeys.cpp" line="144"/>
        <source>The %1 is missing.</source>
        <translation>La valeur %1 manque.</translation>
    </message>
    <message>
        <location filename="../../src/device/session/LoRaWanKeys.cpp" line="153"/>
        <source>Can&apos;t set %1</source>
        <extracomment>%1 is the key&apos;s name (AppEUI or AppKey)</extracomment>
        <translation>Impossible de définir %1</translation>
    </message>
    <message>
        <location filename="../../src/device/session/LoRaWanKeys.cpp" line="169"/>
        <source>Change LoRaWAN keys</source>
        <translation>Changer les clés LoRaWAN</translation>
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
        <location filename="../../src/app/MainWindow.cpp" line="112"/>
        <source>Simulator</source>
        <translation>Simulateur</translation>
    </message>
    <message>
        <location filename="../../src/app/MainWindow.cpp" line="114"/>
        <source>Device plugged in (USB)</source>
        <translation>Appareil branché (USB)</translation>
    </message>
    <message>
        <location filename="../../src/app/MainWindow.cpp" line="123"/>
        <source>Plug in a new device (USB)</source>
        <translation>Brancher un nouvel appareil (USB)</translation>
    </message>
    <message>
        <location filename="../../src/app/MainWindow.cpp" line="141"/>
        <source>Unplug the device (USB)</source>
        <translation>Débrancher l&apos;appareil (USB)</translation>
    </message>
    <message>
        <location filename="../../src/app/MainWindow.cpp" line="334"/>
        <source>This function is not available yet.</source>
        <translation>Cette fonction n&apos;est pas encore disponible.</translation>
    </message>
    <message>
        <location filename="../../src/app/MainWindow.cpp" line="439"/>
        <source>Restore backup</source>
        <translation>Restaurer une sauvegarde</translation>
    </message>
    <message>
        <location filename="../../src/app/MainWindow.cpp" line="458"/>
        <source>Ask before writing</source>
        <translation>Demander avant d&apos;écrire</translation>
    </message>
    <message>
        <location filename="../../src/app/MainWindow.cpp" line="460"/>
        <source>Restore backup…</source>
        <translation>Restaurer une sauvegarde…</translation>
    </message>
    <message>
        <location filename="../../src/app/MainWindow.cpp" line="462"/>
        <source>%1 - simulated device</source>
        <translation>%1 - appareil simulé</translation>
    </message>
    <message>
        <location filename="../../src/app/MainWindow.cpp" line="501"/>
        <source>Language update</source>
        <translation>Mise à jour de la langue</translation>
    </message>
    <message>
        <location filename="../../src/app/MainWindow.cpp" line="502"/>
        <source>To update the translation, it is necessary to restart the application.
Restart now?</source>
        <translation>Pour mettre à jour la traduction, il est nécessaire de redémarrer l&apos;application.
Redémarrer maintenant ?</translation>
    </message>
    <message>
        <location filename="../../src/app/MainWindow.cpp" line="518"/>
        <source>Release information : </source>
        <translation>Informations de version : </translation>
    </message>
    <message>
        <location filename="../../src/app/MainWindow.cpp" line="519"/>
        <source>Build date: </source>
        <translation>Date de compilation : </translation>
    </message>
    <message>
        <location filename="../../src/app/MainWindow.cpp" line="521"/>
        <source>%1 uses the following libraries under the %2 licence:</source>
        <translation>%1 utilise les bibliothèques suivantes sous licence %2 :</translation>
    </message>
    <message>
        <location filename="../../src/app/MainWindow.cpp" line="525"/>
        <source>About %1</source>
        <translation>À propos de %1</translation>
    </message>
    <message>
        <location filename="../../src/app/MainWindow.cpp" line="537"/>
        <source>Open %1 config</source>
        <translation>Ouvrir une configuration %1</translation>
    </message>
    <message>
        <location filename="../../src/app/MainWindow.cpp" line="440"/>
        <location filename="../../src/app/MainWindow.cpp" line="538"/>
        <location filename="../../src/app/MainWindow.cpp" line="711"/>
        <source>%1 config file (*.ocf);;All Files (*)</source>
        <translation>Fichier de configuration %1 (*.ocf);;Tous les fichiers (*)</translation>
    </message>
    <message>
        <location filename="../../src/app/MainWindow.cpp" line="560"/>
        <source>Failed to load file !</source>
        <translation>Échec du chargement du fichier !</translation>
    </message>
    <message>
        <location filename="../../src/app/MainWindow.cpp" line="561"/>
        <source>The file &apos;</source>
        <translation>Le fichier &apos;</translation>
    </message>
    <message>
        <location filename="../../src/app/MainWindow.cpp" line="562"/>
        <source>was be to open but it is probably corrupted.</source>
        <translation>a pu être ouvert mais il est probablement corrompu.</translation>
    </message>
    <message>
        <location filename="../../src/app/MainWindow.cpp" line="563"/>
        <source>It is not possible to load this file !</source>
        <translation>Impossible de charger ce fichier !</translation>
    </message>
    <message>
        <location filename="../../src/app/MainWindow.cpp" line="620"/>
        <source>ORV connected</source>
        <translation>ORV connecté</translation>
    </message>
    <message>
        <location filename="../../src/app/MainWindow.cpp" line="620"/>
        <source>Do you want load a ORV and lose the last modification ?</source>
        <translation>Voulez-vous charger un ORV et perdre les dernières modifications ?</translation>
    </message>
    <message>
        <location filename="../../src/app/MainWindow.cpp" line="634"/>
        <source>The device was disconnected.</source>
        <translation>L&apos;appareil a été déconnecté.</translation>
    </message>
    <message>
        <location filename="../../src/app/MainWindow.cpp" line="710"/>
        <source>Save %1 config</source>
        <translation>Enregistrer une configuration %1</translation>
    </message>
    <message>
        <location filename="../../src/app/MainWindow.cpp" line="752"/>
        <source>No file !</source>
        <translation>Aucun fichier !</translation>
    </message>
    <message>
        <location filename="../../src/app/MainWindow.cpp" line="753"/>
        <source>No file to reload !</source>
        <translation>Aucun fichier à recharger !</translation>
    </message>
    <message>
        <location filename="../../src/app/MainWindow.cpp" line="754"/>
        <source>Reload default ?</source>
        <translation>Recharger les valeurs par défaut ?</translation>
    </message>
</context>
<context>
    <name>MessageBar</name>
    <message>
        <location filename="../../src/gui/MessageBar.cpp" line="27"/>
        <source>Dismiss</source>
        <translation>Fermer</translation>
    </message>
</context>
<context>
    <name>OrvFrame</name>
    <message>
        <location filename="../../src/frames/OrvFrame.cpp" line="276"/>
        <source>The frame: &apos;%1&apos; is invalid !</source>
        <translation>La trame « %1 » n&apos;est pas valide !</translation>
    </message>
    <message>
        <location filename="../../src/frames/OrvFrame.cpp" line="281"/>
        <source>Invalid frames</source>
        <translation>Trames non valides</translation>
    </message>
</context>
<context>
    <name>OrvThermocouple</name>
    <message>
        <location filename="../../src/editors/OrvThermocouple.ui" line="14"/>
        <source>Form</source>
        <translation>Formulaire</translation>
    </message>
    <message>
        <location filename="../../src/editors/OrvThermocouple.ui" line="41"/>
        <source>Sending period</source>
        <translation>Période d&apos;envoi</translation>
    </message>
    <message>
        <location filename="../../src/editors/OrvThermocouple.ui" line="69"/>
        <source>General settings</source>
        <translation>Réglages généraux</translation>
    </message>
    <message>
        <location filename="../../src/editors/OrvThermocouple.ui" line="75"/>
        <source>Sending interface</source>
        <translation>Interface d&apos;envoi</translation>
    </message>
    <message>
        <location filename="../../src/editors/OrvThermocouple.ui" line="83"/>
        <location filename="../../src/device/family/ConfigDiff.cpp" line="43"/>
        <source>LoRaWAN + BLE</source>
        <translation>LoRaWAN + BLE</translation>
    </message>
    <message>
        <location filename="../../src/editors/OrvThermocouple.ui" line="88"/>
        <location filename="../../src/device/family/ConfigDiff.cpp" line="44"/>
        <source>LoRaWAN only</source>
        <translation>LoRaWAN seul</translation>
    </message>
    <message>
        <location filename="../../src/editors/OrvThermocouple.ui" line="96"/>
        <location filename="../../src/device/family/FamilyParams.cpp" line="16"/>
        <source>Timestamp</source>
        <translation>Horodatage</translation>
    </message>
    <message>
        <location filename="../../src/editors/OrvThermocouple.ui" line="104"/>
        <location filename="../../src/device/family/ConfigDiff.cpp" line="41"/>
        <source>Disable</source>
        <translation>Désactivé</translation>
    </message>
    <message>
        <location filename="../../src/editors/OrvThermocouple.ui" line="109"/>
        <location filename="../../src/device/family/ConfigDiff.cpp" line="42"/>
        <source>Enable</source>
        <translation>Activé</translation>
    </message>
    <message>
        <location filename="../../src/editors/OrvThermocouple.ui" line="131"/>
        <source>Radio settings</source>
        <translation>Réglages radio</translation>
    </message>
    <message>
        <location filename="../../src/editors/OrvThermocouple.ui" line="141"/>
        <source>Time settings</source>
        <translation>Réglages de l&apos;heure</translation>
    </message>
    <message>
        <location filename="../../src/editors/OrvThermocouple.ui" line="182"/>
        <source>Thermocouple</source>
        <translation>Thermocouple</translation>
    </message>
    <message>
        <location filename="../../src/editors/OrvThermocouple.ui" line="188"/>
        <source>Activated</source>
        <translation>Activé</translation>
    </message>
    <message>
        <location filename="../../src/editors/OrvThermocouple.ui" line="198"/>
        <source>Temperature Threshold</source>
        <translation>Seuil de température</translation>
    </message>
    <message>
        <location filename="../../src/editors/OrvThermocouple.ui" line="210"/>
        <source>Current Threshold</source>
        <translation>Seuil de courant</translation>
    </message>
    <message>
        <location filename="../../src/editors/OrvThermocouple.ui" line="222"/>
        <source>VBat Threshold</source>
        <translation>Seuil VBat</translation>
    </message>
    <message>
        <location filename="../../src/editors/OrvThermocouple.ui" line="234"/>
        <source>Temperature calibration</source>
        <translation>Étalonnage de la température</translation>
    </message>
    <message>
        <location filename="../../src/editors/OrvThermocouple.ui" line="240"/>
        <location filename="../../src/editors/OrvThermocouple.ui" line="298"/>
        <source>offset</source>
        <translation>décalage</translation>
    </message>
    <message>
        <location filename="../../src/editors/OrvThermocouple.ui" line="263"/>
        <location filename="../../src/editors/OrvThermocouple.ui" line="321"/>
        <source>coefficient</source>
        <translation>coefficient</translation>
    </message>
    <message>
        <location filename="../../src/editors/OrvThermocouple.ui" line="292"/>
        <source>Current calibration</source>
        <translation>Étalonnage du courant</translation>
    </message>
    <message>
        <location filename="../../src/editors/OrvThermocouple.ui" line="347"/>
        <location filename="../../src/device/family/FamilyParams.cpp" line="40"/>
        <source>Couple Spire/Resistance</source>
        <translation>Couple spires/résistance</translation>
    </message>
    <message>
        <location filename="../../src/editors/OrvThermocouple.ui" line="358"/>
        <location filename="../../src/device/family/ConfigDiff.cpp" line="47"/>
        <source>1000 Spires / 15 Ohms</source>
        <translation>1000 spires / 15 ohms</translation>
    </message>
    <message>
        <location filename="../../src/editors/OrvThermocouple.ui" line="363"/>
        <location filename="../../src/device/family/ConfigDiff.cpp" line="48"/>
        <source>580 Spires / 7.5 Ohms</source>
        <translation>580 spires / 7,5 ohms</translation>
    </message>
    <message>
        <location filename="../../src/editors/OrvThermocouple.ui" line="368"/>
        <location filename="../../src/device/family/ConfigDiff.cpp" line="49"/>
        <source>580 Spires / 8.66 Ohms</source>
        <translation>580 spires / 8,66 ohms</translation>
    </message>
    <message>
        <location filename="../../src/editors/OrvThermocouple.ui" line="373"/>
        <location filename="../../src/device/family/ConfigDiff.cpp" line="50"/>
        <source>1000 Spires / 8.66 Ohms</source>
        <translation>1000 spires / 8,66 ohms</translation>
    </message>
    <message>
        <location filename="../../src/editors/OrvThermocouple.ui" line="378"/>
        <location filename="../../src/device/family/ConfigDiff.cpp" line="51"/>
        <source>1000 Spires / 0.5 Ohm</source>
        <translation>1000 spires / 0,5 ohm</translation>
    </message>
    <message>
        <location filename="../../src/editors/OrvThermocouple.ui" line="389"/>
        <source>Real time measurement</source>
        <translation>Mesure en temps réel</translation>
    </message>
    <message>
        <location filename="../../src/editors/OrvThermocouple.ui" line="395"/>
        <source>temperature (°C)</source>
        <translation>température (°C)</translation>
    </message>
    <message>
        <location filename="../../src/editors/OrvThermocouple.ui" line="402"/>
        <location filename="../../src/editors/OrvThermocouple.ui" line="416"/>
        <location filename="../../src/editors/OrvThermocouple.ui" line="430"/>
        <source>--</source>
        <translation>--</translation>
    </message>
    <message>
        <location filename="../../src/editors/OrvThermocouple.ui" line="409"/>
        <source>Current (A)</source>
        <translation>Courant (A)</translation>
    </message>
    <message>
        <location filename="../../src/editors/OrvThermocouple.ui" line="423"/>
        <source>VBat (mV)</source>
        <translation>VBat (mV)</translation>
    </message>
    <message>
        <location filename="../../src/device/family/FamilyParams.cpp" line="12"/>
        <source>Keep alive</source>
        <translation>Maintien de connexion</translation>
    </message>
    <message>
        <location filename="../../src/device/family/FamilyParams.cpp" line="13"/>
        <source>Can&apos;t set keep alive period</source>
        <translation>Impossible de définir la période de maintien de connexion</translation>
    </message>
    <message>
        <location filename="../../src/device/family/FamilyParams.cpp" line="14"/>
        <source>Radio Conifuration</source>
        <translation>Configuration radio</translation>
    </message>
    <message>
        <location filename="../../src/device/family/FamilyParams.cpp" line="15"/>
        <source>Bad Radio Configuration</source>
        <translation>Configuration radio incorrecte</translation>
    </message>
    <message>
        <location filename="../../src/device/family/FamilyParams.cpp" line="17"/>
        <source>Can&apos;t enable or disable Timestamp</source>
        <translation>Impossible d&apos;activer ou de désactiver l&apos;horodatage</translation>
    </message>
    <message>
        <location filename="../../src/device/family/FamilyParams.cpp" line="18"/>
        <source>Data logging</source>
        <translation>Enregistrement des données</translation>
    </message>
    <message>
        <location filename="../../src/device/family/FamilyParams.cpp" line="19"/>
        <source>Bad data logging configuration</source>
        <translation>Configuration d&apos;enregistrement des données incorrecte</translation>
    </message>
    <message>
        <location filename="../../src/device/family/FamilyParams.cpp" line="20"/>
        <source>Tempreature threshold</source>
        <translation>Seuil de température</translation>
    </message>
    <message>
        <location filename="../../src/device/family/FamilyParams.cpp" line="21"/>
        <location filename="../../src/device/family/FamilyParams.cpp" line="23"/>
        <location filename="../../src/device/family/FamilyParams.cpp" line="25"/>
        <source>Bad threshold configuration</source>
        <translation>Configuration de seuil incorrecte</translation>
    </message>
    <message>
        <location filename="../../src/device/family/FamilyParams.cpp" line="22"/>
        <source>Current threshold</source>
        <translation>Seuil de courant</translation>
    </message>
    <message>
        <location filename="../../src/device/family/FamilyParams.cpp" line="24"/>
        <source>VBat threshold</source>
        <translation>Seuil VBat</translation>
    </message>
    <message>
        <location filename="../../src/device/family/FamilyParams.cpp" line="26"/>
        <source>Temperature Offset</source>
        <translation>Décalage de température</translation>
    </message>
    <message>
        <location filename="../../src/device/family/FamilyParams.cpp" line="27"/>
        <source>Bad Temperature offset configuration</source>
        <translation>Configuration du décalage de température incorrecte</translation>
    </message>
    <message>
        <location filename="../../src/device/family/FamilyParams.cpp" line="28"/>
        <source>Temperature coefficient</source>
        <translation>Coefficient de température</translation>
    </message>
    <message>
        <location filename="../../src/device/family/FamilyParams.cpp" line="29"/>
        <source>Bad calibration coefficient values</source>
        <translation>Valeurs de coefficient d&apos;étalonnage incorrectes</translation>
    </message>
    <message>
        <location filename="../../src/device/family/FamilyParams.cpp" line="30"/>
        <source>Threshold check period</source>
        <translation>Période de contrôle des seuils</translation>
    </message>
    <message>
        <location filename="../../src/device/family/FamilyParams.cpp" line="31"/>
        <source>Bad period for threshold check</source>
        <translation>Période de contrôle des seuils incorrecte</translation>
    </message>
    <message>
        <location filename="../../src/device/family/FamilyParams.cpp" line="32"/>
        <source>Thermocouple state</source>
        <translation>État du thermocouple</translation>
    </message>
    <message>
        <location filename="../../src/device/family/FamilyParams.cpp" line="33"/>
        <source>Bad thermocouple state</source>
        <translation>État du thermocouple incorrect</translation>
    </message>
    <message>
        <location filename="../../src/device/family/FamilyParams.cpp" line="34"/>
        <source>Ble period</source>
        <translation>Période BLE</translation>
    </message>
    <message>
        <location filename="../../src/device/family/FamilyParams.cpp" line="35"/>
        <source>Bad Ble period</source>
        <translation>Période BLE incorrecte</translation>
    </message>
    <message>
        <location filename="../../src/device/family/FamilyParams.cpp" line="36"/>
        <source>Current coefficient</source>
        <translation>Coefficient de courant</translation>
    </message>
    <message>
        <location filename="../../src/device/family/FamilyParams.cpp" line="37"/>
        <source>Bad Current coefficient</source>
        <translation>Coefficient de courant incorrect</translation>
    </message>
    <message>
        <location filename="../../src/device/family/FamilyParams.cpp" line="38"/>
        <source>Current offset</source>
        <translation>Décalage de courant</translation>
    </message>
    <message>
        <location filename="../../src/device/family/FamilyParams.cpp" line="39"/>
        <source>Bad Current offset</source>
        <translation>Décalage de courant incorrect</translation>
    </message>
    <message>
        <location filename="../../src/device/family/FamilyParams.cpp" line="41"/>
        <source>Bad Couple Spire/Resistance</source>
        <translation>Couple spires/résistance incorrect</translation>
    </message>
    <message>
        <location filename="../../src/device/family/FamilyParams.cpp" line="42"/>
        <source>Sending Interface</source>
        <translation>Interface d&apos;envoi</translation>
    </message>
    <message>
        <location filename="../../src/device/family/FamilyParams.cpp" line="43"/>
        <source>Bad Sending Interface</source>
        <translation>Interface d&apos;envoi incorrecte</translation>
    </message>
    <message>
        <location filename="../../src/device/family/FamilyParams.cpp" line="44"/>
        <source>Stop1 Duration</source>
        <translation>Durée Stop1</translation>
    </message>
    <message>
        <location filename="../../src/device/family/FamilyParams.cpp" line="45"/>
        <source>Bad Stop1 duration</source>
        <translation>Durée Stop1 incorrecte</translation>
    </message>
    <message>
        <location filename="../../src/device/family/FamilyParams.cpp" line="46"/>
        <source>Radio technology</source>
        <translation>Technologie radio</translation>
    </message>
    <message>
        <location filename="../../src/device/family/FamilyParams.cpp" line="47"/>
        <source>Bad technology for radio</source>
        <translation>Technologie radio incorrecte</translation>
    </message>
    <message>
        <location filename="../../src/device/family/ConfigDiff.cpp" line="38"/>
        <location filename="../../src/editors/OrvThermocouple.cpp" line="102"/>
        <location filename="../../src/editors/OrvThermocouple.cpp" line="510"/>
        <source> °C</source>
        <translation> °C</translation>
    </message>
    <message>
        <location filename="../../src/device/family/ConfigDiff.cpp" line="39"/>
        <location filename="../../src/editors/OrvThermocouple.cpp" line="106"/>
        <location filename="../../src/editors/OrvThermocouple.cpp" line="518"/>
        <source> A</source>
        <translation> A</translation>
    </message>
    <message>
        <location filename="../../src/device/family/ConfigDiff.cpp" line="40"/>
        <location filename="../../src/editors/OrvThermocouple.cpp" line="110"/>
        <source> V</source>
        <translation> V</translation>
    </message>
    <message>
        <location filename="../../src/editors/OrvThermocouple.cpp" line="366"/>
        <source>Some loaded values can&apos;t be shown as they are: %1</source>
        <translation>Certaines valeurs chargées ne peuvent pas être affichées telles quelles : %1</translation>
    </message>
    <message>
        <location filename="../../src/editors/OrvThermocouple.cpp" line="392"/>
        <source>%1 %2 will be written as %3</source>
        <translation>%1 %2 sera écrit comme %3</translation>
    </message>
    <message>
        <location filename="../../src/editors/OrvThermocouple.cpp" line="393"/>
        <source>(empty)</source>
        <translation>(vide)</translation>
    </message>
    <message>
        <location filename="../../src/editors/OrvThermocouple.cpp" line="394"/>
        <source>(nothing)</source>
        <translation>(rien)</translation>
    </message>
    <message>
        <location filename="../../src/editors/OrvThermocouple.cpp" line="503"/>
        <source>N/A</source>
        <translation>N/D</translation>
    </message>
    <message>
        <location filename="../../src/editors/OrvThermocouple.cpp" line="513"/>
        <source>Thermocouple Disable</source>
        <translation>Thermocouple désactivé</translation>
    </message>
    <message>
        <location filename="../../src/editors/OrvThermocouple.cpp" line="521"/>
        <source> mV</source>
        <translation> mV</translation>
    </message>
</context>
<context>
    <name>Protocol</name>
    <message>
        <location filename="../../src/device/protocol/Protocol.cpp" line="209"/>
        <source>Communication warning</source>
        <translation>Avertissement de communication</translation>
    </message>
    <message>
        <location filename="../../src/device/protocol/Protocol.cpp" line="210"/>
        <source>Command or configuration not acknowledged !</source>
        <translation>Commande ou configuration non acquittée !</translation>
    </message>
    <message>
        <location filename="../../src/device/protocol/Protocol.cpp" line="316"/>
        <location filename="../../src/device/protocol/Protocol.cpp" line="329"/>
        <source>Communication error</source>
        <translation>Erreur de communication</translation>
    </message>
    <message>
        <location filename="../../src/device/protocol/Protocol.cpp" line="317"/>
        <source>Can&apos;t get the buffer size from orv device. Please disconnect the orv and retry.</source>
        <translation>Impossible d&apos;obtenir la taille du tampon de l&apos;appareil ORV. Veuillez déconnecter l&apos;ORV et réessayer.</translation>
    </message>
    <message>
        <location filename="../../src/device/protocol/Protocol.cpp" line="330"/>
        <source>Can&apos;t get information about orv device. Please disconnect the orv and retry.</source>
        <translation>Impossible d&apos;obtenir les informations de l&apos;appareil ORV. Veuillez déconnecter l&apos;ORV et réessayer.</translation>
    </message>
    <message>
        <location filename="../../src/device/protocol/Protocol.cpp" line="416"/>
        <source>The device return error code: Framing error !</source>
        <translation>L&apos;appareil renvoie le code d&apos;erreur : erreur de trame !</translation>
    </message>
    <message>
        <location filename="../../src/device/protocol/Protocol.cpp" line="418"/>
        <source>The device return error code: Unknown command !</source>
        <translation>L&apos;appareil renvoie le code d&apos;erreur : commande inconnue !</translation>
    </message>
    <message>
        <location filename="../../src/device/protocol/Protocol.cpp" line="420"/>
        <source>The device return error code: Unknown parameters !</source>
        <translation>L&apos;appareil renvoie le code d&apos;erreur : paramètres inconnus !</translation>
    </message>
    <message>
        <location filename="../../src/device/protocol/Protocol.cpp" line="422"/>
        <source>The device return error code: Can&apos;t run command !</source>
        <translation>L&apos;appareil renvoie le code d&apos;erreur : impossible d&apos;exécuter la commande !</translation>
    </message>
    <message>
        <location filename="../../src/device/protocol/Protocol.cpp" line="424"/>
        <source>The device return error code: Bad size or index of buffered parameter !</source>
        <translation>L&apos;appareil renvoie le code d&apos;erreur : taille ou index incorrect du paramètre en tampon !</translation>
    </message>
    <message>
        <location filename="../../src/device/protocol/Protocol.cpp" line="426"/>
        <source>The device return error code: Unknown error code !</source>
        <translation>L&apos;appareil renvoie le code d&apos;erreur : code d&apos;erreur inconnu !</translation>
    </message>
    <message>
        <location filename="../../src/device/protocol/Protocol.cpp" line="432"/>
        <source>Communication warning from device</source>
        <translation>Avertissement de communication de l&apos;appareil</translation>
    </message>
</context>
<context>
    <name>Provisioning</name>
    <message>
        <location filename="../../src/device/rollout/Provisioning.cpp" line="93"/>
        <location filename="../../src/device/rollout/Provisioning.cpp" line="183"/>
        <source>Unknown parameter</source>
        <translation>Paramètre inconnu</translation>
    </message>
    <message>
        <location filename="../../src/device/rollout/Provisioning.cpp" line="94"/>
        <source>not reported by the device</source>
        <translation>non signalé par l&apos;appareil</translation>
    </message>
    <message>
        <location filename="../../src/device/rollout/Provisioning.cpp" line="96"/>
        <source>other value</source>
        <translation>autre valeur</translation>
    </message>
    <message>
        <location filename="../../src/device/rollout/Provisioning.cpp" line="111"/>
        <source>DevEUI already provisioned in this run</source>
        <translation>DevEUI déjà configuré dans cette série</translation>
    </message>
    <message>
        <location filename="../../src/device/rollout/Provisioning.cpp" line="129"/>
        <source>the device reports no DevEUI, so no keys can be chosen</source>
        <translation>l&apos;appareil ne signale aucun DevEUI, aucune clé ne peut donc être choisie</translation>
    </message>
    <message>
        <location filename="../../src/device/rollout/Provisioning.cpp" line="134"/>
        <source>DevEUI %1 is not in the key list</source>
        <translation>le DevEUI %1 n&apos;est pas dans la liste de clés</translation>
    </message>
    <message>
        <location filename="../../src/device/rollout/Provisioning.cpp" line="148"/>
        <source>configuration file refused</source>
        <translation>fichier de configuration refusé</translation>
    </message>
    <message>
        <location filename="../../src/device/rollout/Provisioning.cpp" line="148"/>
        <source>configuration file not read</source>
        <translation>fichier de configuration non lu</translation>
    </message>
    <message>
        <location filename="../../src/device/rollout/Provisioning.cpp" line="155"/>
        <source>configuration refused, nothing written</source>
        <translation>configuration refusée, rien n&apos;a été écrit</translation>
    </message>
    <message>
        <location filename="../../src/device/rollout/Provisioning.cpp" line="171"/>
        <source>backup failed, nothing written</source>
        <translation>échec de la sauvegarde, rien n&apos;a été écrit</translation>
    </message>
    <message>
        <location filename="../../src/device/rollout/Provisioning.cpp" line="172"/>
        <source>write failed</source>
        <translation>échec de l&apos;écriture</translation>
    </message>
    <message>
        <location filename="../../src/device/rollout/Provisioning.cpp" line="185"/>
        <source>failed</source>
        <translation>échec</translation>
    </message>
    <message>
        <location filename="../../src/device/rollout/Provisioning.cpp" line="189"/>
        <source>parameters refused</source>
        <translation>paramètres refusés</translation>
    </message>
    <message>
        <location filename="../../src/device/rollout/Provisioning.cpp" line="197"/>
        <source>read-back failed</source>
        <translation>échec de la relecture</translation>
    </message>
    <message>
        <location filename="../../src/device/rollout/Provisioning.cpp" line="207"/>
        <source>read-back differs</source>
        <translation>la relecture diffère</translation>
    </message>
    <message>
        <location filename="../../src/device/rollout/Provisioning.cpp" line="220"/>
        <location filename="../../src/device/rollout/Provisioning.cpp" line="225"/>
        <location filename="../../src/device/rollout/Provisioning.cpp" line="241"/>
        <source>keys not written</source>
        <translation>clés non écrites</translation>
    </message>
    <message>
        <location filename="../../src/device/rollout/Provisioning.cpp" line="220"/>
        <source>the device did not tell its DevEUI again</source>
        <translation>l&apos;appareil n&apos;a pas redonné son DevEUI</translation>
    </message>
    <message>
        <location filename="../../src/device/rollout/Provisioning.cpp" line="226"/>
        <source>the DevEUI read again (%1) differs from the one identified (%2)</source>
        <translation>le DevEUI relu (%1) diffère de celui identifié (%2)</translation>
    </message>
    <message>
        <location filename="../../src/device/rollout/Provisioning.cpp" line="249"/>
        <source>nothing changed</source>
        <translation>rien n&apos;a changé</translation>
    </message>
    <message>
        <location filename="../../src/device/rollout/Provisioning.cpp" line="250"/>
        <source>changed: %1</source>
        <translation>modifié : %1</translation>
    </message>
</context>
<context>
    <name>ProvisioningRecord</name>
    <message>
        <location filename="../../src/device/rollout/ProvisioningRecord.cpp" line="75"/>
        <source>Line %1 of the record: %2</source>
        <translation>Ligne %1 du registre : %2</translation>
    </message>
    <message>
        <location filename="../../src/device/rollout/ProvisioningRecord.cpp" line="83"/>
        <source>The file is not a provisioning record: its first line is not &quot;%1&quot;.</source>
        <translation>Le fichier n&apos;est pas un registre de mise en service : sa première ligne n&apos;est pas « %1 ».</translation>
    </message>
    <message>
        <location filename="../../src/device/rollout/ProvisioningRecord.cpp" line="90"/>
        <source>Row %1 of the record has %2 fields instead of %3.</source>
        <translation>La ligne %1 du registre a %2 champs au lieu de %3.</translation>
    </message>
    <message>
        <location filename="../../src/device/rollout/ProvisioningRecord.cpp" line="98"/>
        <source>Row %1 of the record: the time is not an ISO 8601 UTC time.</source>
        <translation>Ligne %1 du registre : l&apos;heure n&apos;est pas une heure UTC ISO 8601.</translation>
    </message>
    <message>
        <location filename="../../src/device/rollout/ProvisioningRecord.cpp" line="109"/>
        <source>Row %1 of the record: the result is neither &quot;successful&quot; nor &quot;failed&quot;.</source>
        <translation>Ligne %1 du registre : le résultat n&apos;est ni « successful » ni « failed ».</translation>
    </message>
    <message>
        <location filename="../../src/device/rollout/ProvisioningRecord.cpp" line="145"/>
        <source>The record &apos;%1&apos; is not a regular file.</source>
        <translation>Le registre « %1 » n&apos;est pas un fichier ordinaire.</translation>
    </message>
    <message>
        <location filename="../../src/device/rollout/ProvisioningRecord.cpp" line="148"/>
        <source>Can&apos;t open the record &apos;%1&apos;: %2</source>
        <translation>Impossible d&apos;ouvrir le registre « %1 » : %2</translation>
    </message>
    <message>
        <location filename="../../src/device/rollout/ProvisioningRecord.cpp" line="151"/>
        <source>The record &apos;%1&apos; is too large to check.</source>
        <translation>Le registre « %1 » est trop volumineux pour être vérifié.</translation>
    </message>
    <message>
        <location filename="../../src/device/rollout/ProvisioningRecord.cpp" line="153"/>
        <source>Can&apos;t read the record &apos;%1&apos;.</source>
        <translation>Impossible de lire le registre « %1 ».</translation>
    </message>
    <message>
        <location filename="../../src/device/rollout/ProvisioningRecord.cpp" line="157"/>
        <source>The file &apos;%1&apos; can&apos;t be appended to: %2</source>
        <translation>Impossible d&apos;ajouter au fichier « %1 » : %2</translation>
    </message>
    <message>
        <location filename="../../src/device/rollout/ProvisioningRecord.cpp" line="160"/>
        <location filename="../../src/device/rollout/ProvisioningRecord.cpp" line="165"/>
        <location filename="../../src/device/rollout/ProvisioningRecord.cpp" line="179"/>
        <source>Can&apos;t write to the record &apos;%1&apos;: %2</source>
        <translation>Impossible d&apos;écrire dans le registre « %1 » : %2</translation>
    </message>
    <message>
        <location filename="../../src/device/rollout/ProvisioningRecord.cpp" line="173"/>
        <source>The record is not open.</source>
        <translation>Le registre n&apos;est pas ouvert.</translation>
    </message>
</context>
<context>
    <name>Update</name>
    <message>
        <location filename="../../src/update/Update.cpp" line="58"/>
        <source>Update stopped. The controller stays in its bootloader until it is programmed: start the update again with the same firmware file.</source>
        <translation>Mise à jour arrêtée. Le contrôleur reste dans son chargeur d&apos;amorçage jusqu&apos;à ce qu&apos;il soit programmé : relancez la mise à jour avec le même fichier de micrologiciel.</translation>
    </message>
    <message>
        <location filename="../../src/update/Update.cpp" line="78"/>
        <source> (stopped)</source>
        <translation> (arrêté)</translation>
    </message>
    <message>
        <location filename="../../src/update/Update.cpp" line="99"/>
        <source>Start Update
</source>
        <translation>Début de la mise à jour
</translation>
    </message>
    <message>
        <location filename="../../src/update/Update.cpp" line="111"/>
        <source>Finishing programming session...</source>
        <translation>Fin de la session de programmation...</translation>
    </message>
    <message>
        <location filename="../../src/update/Update.cpp" line="130"/>
        <source>Loading firmware data from file...</source>
        <translation>Chargement du micrologiciel depuis le fichier...</translation>
    </message>
    <message>
        <location filename="../../src/update/Update.cpp" line="138"/>
        <source> Line %1 is corrupt (byte count or checksum).</source>
        <translation> La ligne %1 est corrompue (nombre d&apos;octets ou somme de contrôle).</translation>
    </message>
    <message>
        <location filename="../../src/update/Update.cpp" line="158"/>
        <source>Connecting to target bootloader...</source>
        <translation>Connexion au chargeur d&apos;amorçage de la cible...</translation>
    </message>
    <message>
        <location filename="../../src/update/Update.cpp" line="185"/>
        <source> (Authentification failed. Need -sk option.)</source>
        <translation> (Échec de l&apos;authentification. L&apos;option -sk est nécessaire.)</translation>
    </message>
    <message>
        <location filename="../../src/update/Update.cpp" line="189"/>
        <source> Wrong seednkey Lib. Bootloader has rejected the key.</source>
        <translation> Mauvaise bibliothèque seed-and-key. Le chargeur d&apos;amorçage a rejeté la clé.</translation>
    </message>
    <message>
        <location filename="../../src/update/Update.cpp" line="193"/>
        <source> The provided firmware needs to be an encrypted one.</source>
        <translation> Le micrologiciel fourni doit être chiffré.</translation>
    </message>
    <message>
        <location filename="../../src/update/Update.cpp" line="199"/>
        <source> The bootloader did not answer within %1 s.</source>
        <translation> Le chargeur d&apos;amorçage n&apos;a pas répondu dans les %1 s.</translation>
    </message>
</context>
<context>
    <name>WdgAutoCfg</name>
    <message>
        <location filename="../../src/tools/WdgAutoCfg.ui" line="26"/>
        <source>Auto Config Tool</source>
        <translation>Outil de configuration automatique</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgAutoCfg.ui" line="92"/>
        <location filename="../../src/tools/WdgAutoCfg.cpp" line="238"/>
        <source>No provisioning record</source>
        <translation>Aucun registre de mise en service</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgAutoCfg.ui" line="102"/>
        <source>Stop recording</source>
        <translation>Arrêter l&apos;enregistrement</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgAutoCfg.ui" line="122"/>
        <location filename="../../src/tools/WdgAutoCfg.cpp" line="273"/>
        <source>No key list: keys are not written</source>
        <translation>Aucune liste de clés : les clés ne sont pas écrites</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgAutoCfg.ui" line="132"/>
        <source>Write no keys</source>
        <translation>N&apos;écrire aucune clé</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgAutoCfg.ui" line="142"/>
        <source>Read the configuration back and compare</source>
        <translation>Relire la configuration et comparer</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgAutoCfg.ui" line="179"/>
        <location filename="../../src/tools/WdgAutoCfg.cpp" line="124"/>
        <source>Start</source>
        <translation>Démarrer</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgAutoCfg.ui" line="186"/>
        <source>Close Tool</source>
        <translation>Fermer l&apos;outil</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgAutoCfg.cpp" line="44"/>
        <source>%1-Device</source>
        <translation>Appareil %1</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgAutoCfg.cpp" line="45"/>
        <location filename="../../src/tools/WdgAutoCfg.cpp" line="47"/>
        <location filename="../../src/tools/WdgAutoCfg.cpp" line="126"/>
        <source>Select a %1 config file</source>
        <translation>Sélectionner un fichier de configuration %1</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgAutoCfg.cpp" line="60"/>
        <source>Open %1 config</source>
        <translation>Ouvrir une configuration %1</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgAutoCfg.cpp" line="61"/>
        <source>%1 config file (*.ocf);;All Files (*)</source>
        <translation>Fichier de configuration %1 (*.ocf);;Tous les fichiers (*)</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgAutoCfg.cpp" line="77"/>
        <source>No %1 name found</source>
        <translation>Aucun nom %1 trouvé</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgAutoCfg.cpp" line="78"/>
        <source>No %1 name found in the file &apos;%2&apos;!</source>
        <translation>Aucun nom %1 trouvé dans le fichier « %2 » !</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgAutoCfg.cpp" line="132"/>
        <source>Connect %1 device</source>
        <translation>Connectez l&apos;appareil %1</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgAutoCfg.cpp" line="130"/>
        <location filename="../../src/tools/WdgAutoCfg.cpp" line="166"/>
        <source>Disconnect %1 device</source>
        <translation>Déconnectez l&apos;appareil %1</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgAutoCfg.cpp" line="124"/>
        <source>Stop</source>
        <translation>Arrêter</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgAutoCfg.cpp" line="128"/>
        <source>Press Start to configure the %1 devices plugged in</source>
        <translation>Appuyez sur Démarrer pour configurer les %1 appareils branchés</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgAutoCfg.cpp" line="176"/>
        <source>Not recorded: %1</source>
        <translation>Non enregistré : %1</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgAutoCfg.cpp" line="190"/>
        <source>successful</source>
        <translation>réussi</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgAutoCfg.cpp" line="190"/>
        <source>failed</source>
        <translation>échec</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgAutoCfg.cpp" line="213"/>
        <location filename="../../src/tools/WdgAutoCfg.cpp" line="224"/>
        <source>Provisioning record</source>
        <translation>Registre de mise en service</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgAutoCfg.cpp" line="214"/>
        <source>CSV file (*.csv);;All Files (*)</source>
        <translation>Fichier CSV (*.csv);;Tous les fichiers (*)</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgAutoCfg.cpp" line="228"/>
        <source>Record: %1</source>
        <translation>Registre : %1</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgAutoCfg.cpp" line="246"/>
        <source>Open key list</source>
        <translation>Ouvrir une liste de clés</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgAutoCfg.cpp" line="247"/>
        <source>Key list (*.csv);;All Files (*)</source>
        <translation>Liste de clés (*.csv);;Tous les fichiers (*)</translation>
    </message>
    <message numerus="yes">
        <location filename="../../src/tools/WdgAutoCfg.cpp" line="263"/>
        <source>Keys of %n device(s): %1</source>
        <translation>
            <numerusform>Clés de %n appareil : %1</numerusform>
            <numerusform>Clés de %n appareils : %1</numerusform>
        </translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgAutoCfg.cpp" line="259"/>
        <source>Key list</source>
        <translation>Liste de clés</translation>
    </message>
</context>
<context>
    <name>WdgBleDevice</name>
    <message>
        <location filename="../../src/app/WdgBleDevice.ui" line="14"/>
        <source>Form</source>
        <translation>Formulaire</translation>
    </message>
</context>
<context>
    <name>WdgDataLoggingCfg</name>
    <message>
        <location filename="../../src/editors/WdgDataLoggingCfg.ui" line="14"/>
        <source>Form</source>
        <translation>Formulaire</translation>
    </message>
    <message>
        <location filename="../../src/editors/WdgDataLoggingCfg.ui" line="33"/>
        <source>Periods</source>
        <translation>Périodes</translation>
    </message>
    <message>
        <location filename="../../src/editors/WdgDataLoggingCfg.ui" line="42"/>
        <source>Statement</source>
        <translation>Relevé</translation>
    </message>
    <message>
        <location filename="../../src/editors/WdgDataLoggingCfg.ui" line="49"/>
        <location filename="../../src/device/family/ConfigDiff.cpp" line="60"/>
        <source> H</source>
        <translation> h</translation>
    </message>
    <message>
        <location filename="../../src/editors/WdgDataLoggingCfg.ui" line="62"/>
        <location filename="../../src/device/family/ConfigDiff.cpp" line="61"/>
        <source> Min</source>
        <translation> min</translation>
    </message>
    <message>
        <location filename="../../src/editors/WdgDataLoggingCfg.ui" line="91"/>
        <source>Sampling</source>
        <translation>Échantillonnage</translation>
    </message>
    <message>
        <location filename="../../src/editors/WdgDataLoggingCfg.ui" line="103"/>
        <source>00h 00m 00s</source>
        <translation>00h 00m 00s</translation>
    </message>
    <message>
        <location filename="../../src/editors/WdgDataLoggingCfg.ui" line="125"/>
        <source>Samples and Redundancy</source>
        <translation>Échantillons et redondance</translation>
    </message>
    <message>
        <location filename="../../src/editors/WdgDataLoggingCfg.ui" line="134"/>
        <source>Number of samples</source>
        <translation>Nombre d&apos;échantillons</translation>
    </message>
    <message>
        <location filename="../../src/editors/WdgDataLoggingCfg.ui" line="164"/>
        <source>Depth of historic</source>
        <translation>Profondeur d&apos;historique</translation>
    </message>
    <message>
        <location filename="../../src/editors/WdgDataLoggingCfg.ui" line="229"/>
        <source>Warning !</source>
        <translation>Avertissement !</translation>
    </message>
    <message>
        <location filename="../../src/editors/WdgDataLoggingCfg.cpp" line="172"/>
        <source>WARNING : configuration will force product to desactivate ADR. Spreading factor will be fixed to SF9. Product range will be decrease using this configuration. Never use such configuration with operated network. Only private network is advised</source>
        <translation>AVERTISSEMENT : cette configuration force le produit à désactiver l&apos;ADR. Le facteur d&apos;étalement sera fixé à SF9. La portée du produit sera réduite avec cette configuration. N&apos;utilisez jamais une telle configuration sur un réseau opéré. Seul un réseau privé est conseillé</translation>
    </message>
    <message>
        <location filename="../../src/editors/WdgDataLoggingCfg.cpp" line="191"/>
        <source>Err: The maximum bytes in frames is null. Call setMaxFrameSize()</source>
        <translation>Err : le nombre maximal d&apos;octets par trame est nul. Appelez setMaxFrameSize()</translation>
    </message>
    <message>
        <location filename="../../src/editors/WdgDataLoggingCfg.cpp" line="193"/>
        <source>Err: The maximum frames by hours is null. Call setMaxFramesByHour()</source>
        <translation>Err : le nombre maximal de trames par heure est nul. Appelez setMaxFramesByHour()</translation>
    </message>
    <message>
        <location filename="../../src/editors/WdgDataLoggingCfg.cpp" line="195"/>
        <source>Err: Didn&apos;t have way. Call wayAdd()</source>
        <translation>Err : aucune voie. Appelez wayAdd()</translation>
    </message>
    <message>
        <location filename="../../src/editors/WdgDataLoggingCfg.cpp" line="197"/>
        <source>Err: Didn&apos;t have number of frame, probably the maximum bytes in frames is too small. Call setMaxFrameSize()</source>
        <translation>Err : aucun nombre de trames, le nombre maximal d&apos;octets par trame est probablement trop petit. Appelez setMaxFrameSize()</translation>
    </message>
    <message>
        <location filename="../../src/editors/WdgDataLoggingCfg.cpp" line="200"/>
        <source>Err: Didn&apos;t have number of sample, probably the maximum bytes in frames is too small. Call setMaxFrameSize()</source>
        <translation>Err : aucun nombre d&apos;échantillons, le nombre maximal d&apos;octets par trame est probablement trop petit. Appelez setMaxFrameSize()</translation>
    </message>
    <message>
        <location filename="../../src/editors/WdgDataLoggingCfg.cpp" line="203"/>
        <source>Err: Didn&apos;t have number of historic, probably the maximum bytes in frames is too small. Call setMaxFrameSize()</source>
        <translation>Err : aucune profondeur d&apos;historique, le nombre maximal d&apos;octets par trame est probablement trop petit. Appelez setMaxFrameSize()</translation>
    </message>
    <message>
        <location filename="../../src/editors/WdgDataLoggingCfg.cpp" line="208"/>
        <source>%1 way of %2 sample(s), sampling at %3h, %4m and %5s with a historic depth %6 will be send every at %7h and %8m in %9 frame(s).</source>
        <translation>%1 voie(s) de %2 échantillon(s), échantillonnage toutes les %3h %4m %5s avec une profondeur d&apos;historique de %6, envoyée(s) toutes les %7h %8m en %9 trame(s).</translation>
    </message>
    <message>
        <location filename="../../src/editors/WdgDataLoggingCfg.cpp" line="238"/>
        <source>Data logging value %1 was ignored: %2 bytes are expected; the editor keeps %3</source>
        <translation>La valeur d&apos;enregistrement des données %1 a été ignorée : %2 octets sont attendus ; l&apos;éditeur garde %3</translation>
    </message>
    <message>
        <location filename="../../src/editors/WdgDataLoggingCfg.cpp" line="249"/>
        <source>Data logging value %1 was ignored: %2 sample(s) with a historic depth %3 do not fit in a frame; the editor keeps %4</source>
        <translation>La valeur d&apos;enregistrement des données %1 a été ignorée : %2 échantillon(s) avec une profondeur d&apos;historique de %3 ne tiennent pas dans une trame ; l&apos;éditeur garde %4</translation>
    </message>
    <message>
        <location filename="../../src/editors/WdgDataLoggingCfg.cpp" line="285"/>
        <source>Data logging value %1 cannot be shown as it stands; the editor shows %2</source>
        <translation>La valeur d&apos;enregistrement des données %1 ne peut pas être affichée telle quelle ; l&apos;éditeur affiche %2</translation>
    </message>
</context>
<context>
    <name>WdgDeviceUpdater</name>
    <message>
        <location filename="../../src/tools/WdgDeviceUpdater.ui" line="14"/>
        <source>Updater Tool</source>
        <translation>Outil de mise à jour</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgDeviceUpdater.ui" line="35"/>
        <source>ORV-Device</source>
        <translation>Appareil ORV</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgDeviceUpdater.ui" line="55"/>
        <source>Close Tool</source>
        <translation>Fermer l&apos;outil</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgDeviceUpdater.ui" line="68"/>
        <source>List of Available update</source>
        <translation>Mises à jour disponibles</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgDeviceUpdater.ui" line="83"/>
        <source>Orv</source>
        <translation>Orv</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgDeviceUpdater.ui" line="98"/>
        <location filename="../../src/tools/WdgDeviceUpdater.ui" line="162"/>
        <location filename="../../src/tools/WdgDeviceUpdater.ui" line="226"/>
        <source>Firmware file</source>
        <translation>Fichier de micrologiciel</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgDeviceUpdater.ui" line="105"/>
        <location filename="../../src/tools/WdgDeviceUpdater.ui" line="169"/>
        <location filename="../../src/tools/WdgDeviceUpdater.ui" line="233"/>
        <location filename="../../src/tools/WdgDeviceUpdater.cpp" line="241"/>
        <source>Select Firmware to load</source>
        <translation>Sélectionner le micrologiciel à charger</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgDeviceUpdater.ui" line="122"/>
        <location filename="../../src/tools/WdgDeviceUpdater.ui" line="186"/>
        <location filename="../../src/tools/WdgDeviceUpdater.ui" line="250"/>
        <location filename="../../src/tools/WdgDeviceUpdater.cpp" line="223"/>
        <source>Start</source>
        <translation>Démarrer</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgDeviceUpdater.ui" line="147"/>
        <source>Kiv</source>
        <translation>Kiv</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgDeviceUpdater.ui" line="211"/>
        <source>KivBle</source>
        <translation>KivBle</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgDeviceUpdater.cpp" line="211"/>
        <source>The device reports no bootloader: it has nothing to update.</source>
        <translation>L&apos;appareil ne signale aucun chargeur d&apos;amorçage : il n&apos;y a rien à mettre à jour.</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgDeviceUpdater.cpp" line="223"/>
        <source>Stop</source>
        <translation>Arrêter</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgDeviceUpdater.cpp" line="224"/>
        <source>Stop the update</source>
        <translation>Arrêter la mise à jour</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgDeviceUpdater.cpp" line="224"/>
        <source>Start the update</source>
        <translation>Démarrer la mise à jour</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgDeviceUpdater.cpp" line="272"/>
        <source>Stopping the update...</source>
        <translation>Arrêt de la mise à jour...</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgDeviceUpdater.cpp" line="357"/>
        <source>Device after the update: %1</source>
        <translation>Appareil après la mise à jour : %1</translation>
    </message>
</context>
<context>
    <name>WdgMain</name>
    <message>
        <location filename="../../src/app/WdgMain.ui" line="14"/>
        <source>Form</source>
        <translation>Formulaire</translation>
    </message>
    <message>
        <location filename="../../src/app/WdgMain.ui" line="37"/>
        <source>When a device is connected through USB the device configuration page is automatically loaded.
In Bluetooth, first connect to a device among detected devices to load the configuration page.</source>
        <translation>Lorsqu&apos;un appareil est connecté en USB, sa page de configuration se charge automatiquement.
En Bluetooth, connectez-vous d&apos;abord à l&apos;un des appareils détectés pour charger la page de configuration.</translation>
    </message>
    <message>
        <location filename="../../src/app/WdgMain.ui" line="41"/>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;&lt;span style=&quot; font-size:12pt;&quot;&gt;Connect your device  &lt;/span&gt;&lt;img src=&quot;:/MainWindow/img/help_small.png&quot; width=&quot;18&quot; height=&quot;18&quot;/&gt;&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;&lt;span style=&quot; font-size:12pt;&quot;&gt;Connectez votre appareil  &lt;/span&gt;&lt;img src=&quot;:/MainWindow/img/help_small.png&quot; width=&quot;18&quot; height=&quot;18&quot;/&gt;&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <location filename="../../src/app/WdgMain.ui" line="90"/>
        <source>        OR        </source>
        <translation>        OU        </translation>
    </message>
    <message>
        <location filename="../../src/app/WdgMain.ui" line="153"/>
        <source>Offline mode allows to create and save configurations files to load in your device fleet 
or create downlink frames to configure your device remotely.</source>
        <translation>Le mode hors ligne permet de créer et d&apos;enregistrer des fichiers de configuration à charger dans votre parc d&apos;appareils 
ou de créer des trames descendantes pour configurer votre appareil à distance.</translation>
    </message>
    <message>
        <location filename="../../src/app/WdgMain.ui" line="157"/>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;No devices around? &lt;img src=&quot;:/MainWindow/img/help_small.png&quot; width=&quot;18&quot; height=&quot;18&quot;/&gt;&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Aucun appareil à proximité ? &lt;img src=&quot;:/MainWindow/img/help_small.png&quot; width=&quot;18&quot; height=&quot;18&quot;/&gt;&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <location filename="../../src/app/WdgMain.ui" line="166"/>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;&lt;span style=&quot; font-size:9pt;&quot;&gt;Select a device in the right list&lt;br/&gt;to start offline mode&lt;/span&gt;&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;&lt;span style=&quot; font-size:9pt;&quot;&gt;Sélectionnez un appareil dans la liste de droite&lt;br/&gt;pour démarrer le mode hors ligne&lt;/span&gt;&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
</context>
<context>
    <name>WdgMakeFrames</name>
    <message>
        <location filename="../../src/tools/WdgMakeFrames.ui" line="14"/>
        <source>Form</source>
        <translation>Formulaire</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgMakeFrames.ui" line="48"/>
        <source>View Parameters</source>
        <translation>Vue des paramètres</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgMakeFrames.ui" line="88"/>
        <source>Add selected parameters to frames</source>
        <translation>Ajouter les paramètres sélectionnés aux trames</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgMakeFrames.ui" line="91"/>
        <source>&gt;</source>
        <translation>&gt;</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgMakeFrames.ui" line="114"/>
        <source>Remove selected frames</source>
        <translation>Supprimer les trames sélectionnées</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgMakeFrames.ui" line="117"/>
        <source>&lt;</source>
        <translation>&lt;</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgMakeFrames.ui" line="171"/>
        <source>View Frames</source>
        <translation>Vue des trames</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgMakeFrames.ui" line="198"/>
        <source>Expand all frames</source>
        <translation>Déplier toutes les trames</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgMakeFrames.ui" line="201"/>
        <source>v</source>
        <translation>v</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgMakeFrames.ui" line="218"/>
        <source>Collapse all frames</source>
        <translation>Replier toutes les trames</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgMakeFrames.ui" line="221"/>
        <source>^</source>
        <translation>^</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgMakeFrames.ui" line="232"/>
        <source>Max payload:</source>
        <translation>Charge utile max. :</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgMakeFrames.ui" line="249"/>
        <source>Make the frames again with the maximum payload</source>
        <translation>Refaire les trames avec la charge utile maximale</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgMakeFrames.ui" line="252"/>
        <location filename="../../src/tools/WdgMakeFrames.ui" line="286"/>
        <source>...</source>
        <translation>...</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgMakeFrames.ui" line="263"/>
        <source>Counter frames: 0</source>
        <translation>Compteur de trames : 0</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgMakeFrames.ui" line="283"/>
        <source>Remove all frames</source>
        <translation>Supprimer toutes les trames</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgMakeFrames.ui" line="304"/>
        <source>Export</source>
        <translation>Exporter</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgMakeFrames.ui" line="318"/>
        <source>Import</source>
        <translation>Importer</translation>
    </message>
    <message numerus="yes">
        <location filename="../../src/tools/WdgMakeFrames.cpp" line="95"/>
        <source>Counter frames: %n</source>
        <translation>
            <numerusform>Compteur de trames : %n</numerusform>
            <numerusform>Compteur de trames : %n</numerusform>
        </translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgMakeFrames.cpp" line="170"/>
        <source>Delete all frames</source>
        <translation>Supprimer toutes les trames</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgMakeFrames.cpp" line="170"/>
        <source>Are you sure to delete all frames ?</source>
        <translation>Voulez-vous vraiment supprimer toutes les trames ?</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgMakeFrames.cpp" line="215"/>
        <source>Export selected frames to clipboard</source>
        <translation>Exporter les trames sélectionnées vers le presse-papiers</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgMakeFrames.cpp" line="217"/>
        <source>Export selected frames as QR Code</source>
        <translation>Exporter les trames sélectionnées en QR Code</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgMakeFrames.cpp" line="219"/>
        <source>Export all frames to clipboard</source>
        <translation>Exporter toutes les trames vers le presse-papiers</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgMakeFrames.cpp" line="220"/>
        <source>Export all frames as QR Code</source>
        <translation>Exporter toutes les trames en QR Code</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgMakeFrames.cpp" line="227"/>
        <source>Import frames from clipboard</source>
        <translation>Importer des trames depuis le presse-papiers</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgMakeFrames.cpp" line="251"/>
        <source>Save Qr Image</source>
        <translation>Enregistrer l&apos;image QR</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgMakeFrames.cpp" line="252"/>
        <source>Images (*.png)</source>
        <translation>Images (*.png)</translation>
    </message>
</context>
<context>
    <name>WdgOrv</name>
    <message>
        <location filename="../../src/editors/WdgOrv.ui" line="14"/>
        <source>Form</source>
        <translation>Formulaire</translation>
    </message>
    <message>
        <location filename="../../src/editors/WdgOrv.ui" line="34"/>
        <source>NAME-Device</source>
        <translation>NOM-Appareil</translation>
    </message>
    <message>
        <location filename="../../src/editors/WdgOrv.ui" line="51"/>
        <source>Device description</source>
        <translation>Description de l&apos;appareil</translation>
    </message>
    <message>
        <location filename="../../src/editors/WdgOrv.ui" line="69"/>
        <source>Tech</source>
        <translation>Techno</translation>
    </message>
    <message>
        <location filename="../../src/editors/WdgOrv.ui" line="85"/>
        <source>label_image</source>
        <translation>label_image</translation>
    </message>
    <message>
        <location filename="../../src/editors/WdgOrv.ui" line="139"/>
        <source>Close</source>
        <translation>Fermer</translation>
    </message>
    <message>
        <location filename="../../src/editors/WdgOrv.ui" line="150"/>
        <source>Default from ORV</source>
        <translation>Valeurs par défaut de l&apos;ORV</translation>
    </message>
    <message>
        <location filename="../../src/editors/WdgOrv.ui" line="161"/>
        <source>Reload from ORV</source>
        <translation>Recharger depuis l&apos;ORV</translation>
    </message>
    <message>
        <location filename="../../src/editors/WdgOrv.ui" line="172"/>
        <source>Apply to ORV</source>
        <translation>Appliquer à l&apos;ORV</translation>
    </message>
    <message>
        <location filename="../../src/editors/WdgOrv.cpp" line="107"/>
        <source>Reading the configuration from the device...</source>
        <translation>Lecture de la configuration depuis l&apos;appareil...</translation>
    </message>
    <message>
        <location filename="../../src/editors/WdgOrv.cpp" line="117"/>
        <source>The configuration could not be read from the device.
Nothing shown here came from it, so nothing can be applied.
Press &quot;Reload from ORV&quot; to read it again.</source>
        <translation>La configuration n&apos;a pas pu être lue depuis l&apos;appareil.
Rien de ce qui est affiché ici n&apos;en provient, donc rien ne peut être appliqué.
Appuyez sur &quot;Recharger depuis l&apos;ORV&quot; pour la relire.</translation>
    </message>
    <message>
        <location filename="../../src/editors/WdgOrv.cpp" line="158"/>
        <source>Default configuration</source>
        <translation>Configuration par défaut</translation>
    </message>
    <message>
        <location filename="../../src/editors/WdgOrv.cpp" line="159"/>
        <source>Restore the factory defaults of the device?
Its current configuration will be lost.</source>
        <translation>Rétablir la configuration d&apos;usine de l&apos;appareil ?
Sa configuration actuelle sera perdue.</translation>
    </message>
</context>
<context>
    <name>WdgOrvVirtual</name>
    <message>
        <location filename="../../src/editors/WdgOrvVirtual.ui" line="14"/>
        <source>Form</source>
        <translation>Formulaire</translation>
    </message>
    <message>
        <location filename="../../src/editors/WdgOrvVirtual.ui" line="34"/>
        <source>NAME-Device</source>
        <translation>NOM-Appareil</translation>
    </message>
    <message>
        <location filename="../../src/editors/WdgOrvVirtual.ui" line="51"/>
        <source>Device description</source>
        <translation>Description de l&apos;appareil</translation>
    </message>
    <message>
        <location filename="../../src/editors/WdgOrvVirtual.ui" line="69"/>
        <source>Tech</source>
        <translation>Techno</translation>
    </message>
    <message>
        <location filename="../../src/editors/WdgOrvVirtual.ui" line="85"/>
        <source>label_image</source>
        <translation>label_image</translation>
    </message>
    <message>
        <location filename="../../src/editors/WdgOrvVirtual.ui" line="139"/>
        <source>Close</source>
        <translation>Fermer</translation>
    </message>
    <message>
        <location filename="../../src/editors/WdgOrvVirtual.ui" line="150"/>
        <source>Reload from file</source>
        <translation>Recharger depuis le fichier</translation>
    </message>
    <message>
        <location filename="../../src/editors/WdgOrvVirtual.ui" line="161"/>
        <source>Save to file</source>
        <translation>Enregistrer dans un fichier</translation>
    </message>
</context>
<context>
    <name>WdgPickOrv</name>
    <message>
        <location filename="../../src/app/WdgPickOrv.ui" line="14"/>
        <source>Form</source>
        <translation>Formulaire</translation>
    </message>
</context>
<context>
    <name>WdgPickOrvDevice</name>
    <message>
        <location filename="../../src/app/WdgPickOrvDevice.ui" line="14"/>
        <source>Form</source>
        <translation>Formulaire</translation>
    </message>
    <message>
        <location filename="../../src/app/WdgPickOrvDevice.ui" line="72"/>
        <source>ORV-Device</source>
        <translation>Appareil ORV</translation>
    </message>
    <message>
        <location filename="../../src/app/WdgPickOrvDevice.ui" line="79"/>
        <source>About device</source>
        <translation>À propos de l&apos;appareil</translation>
    </message>
    <message>
        <location filename="../../src/app/WdgPickOrvDevice.ui" line="91"/>
        <source>Technologies :</source>
        <translation>Technologies :</translation>
    </message>
    <message>
        <location filename="../../src/app/WdgPickOrvDevice.ui" line="101"/>
        <source>Version :</source>
        <translation>Version :</translation>
    </message>
    <message>
        <location filename="../../src/app/WdgPickOrvDevice.ui" line="111"/>
        <source>Reference :</source>
        <translation>Référence :</translation>
    </message>
    <message>
        <location filename="../../src/app/WdgPickOrvDevice.ui" line="118"/>
        <source>Ref device</source>
        <translation>Réf. appareil</translation>
    </message>
    <message>
        <location filename="../../src/app/WdgPickOrvDevice.ui" line="155"/>
        <source>Open</source>
        <translation>Ouvrir</translation>
    </message>
    <message>
        <location filename="../../src/app/WdgPickOrvDevice.cpp" line="73"/>
        <source> and </source>
        <translation> et </translation>
    </message>
</context>
<context>
    <name>WdgRadioCfg</name>
    <message>
        <location filename="../../src/editors/WdgRadioCfg.ui" line="14"/>
        <source>Form</source>
        <translation>Formulaire</translation>
    </message>
    <message>
        <location filename="../../src/editors/WdgRadioCfg.ui" line="20"/>
        <source>Radio Mode</source>
        <translation>Mode radio</translation>
    </message>
    <message>
        <location filename="../../src/editors/WdgRadioCfg.ui" line="46"/>
        <location filename="../../src/editors/WdgRadioCfg.cpp" line="106"/>
        <source>Sigfox Zone</source>
        <translation>Zone Sigfox</translation>
    </message>
    <message>
        <location filename="../../src/editors/WdgRadioCfg.ui" line="72"/>
        <source>Radio Channel</source>
        <translation>Canal radio</translation>
    </message>
    <message>
        <location filename="../../src/editors/WdgRadioCfg.cpp" line="120"/>
        <source>Mode Local (Modulation FSK)</source>
        <translation>Mode local (modulation FSK)</translation>
    </message>
    <message>
        <location filename="../../src/editors/WdgRadioCfg.cpp" line="124"/>
        <source>Mode Compat FSK/Sigfox Repeater</source>
        <translation>Mode compatible répéteur FSK/Sigfox</translation>
    </message>
    <message>
        <location filename="../../src/device/family/ConfigDiff.cpp" line="55"/>
        <location filename="../../src/editors/WdgRadioCfg.cpp" line="129"/>
        <location filename="../../src/editors/WdgRadioCfg.cpp" line="146"/>
        <location filename="../../src/editors/WdgRadioCfg.cpp" line="153"/>
        <location filename="../../src/editors/WdgRadioCfg.cpp" line="207"/>
        <location filename="../../src/editors/WdgRadioCfg.cpp" line="276"/>
        <location filename="../../src/editors/WdgRadioCfg.cpp" line="366"/>
        <source>Sigfox</source>
        <translation>Sigfox</translation>
    </message>
    <message>
        <location filename="../../src/device/family/ConfigDiff.cpp" line="56"/>
        <location filename="../../src/editors/WdgRadioCfg.cpp" line="135"/>
        <location filename="../../src/editors/WdgRadioCfg.cpp" line="152"/>
        <location filename="../../src/editors/WdgRadioCfg.cpp" line="206"/>
        <location filename="../../src/editors/WdgRadioCfg.cpp" line="274"/>
        <source>LoRaWAN</source>
        <translation>LoRaWAN</translation>
    </message>
    <message>
        <location filename="../../src/editors/WdgRadioCfg.cpp" line="136"/>
        <source>LoRaWAN Class</source>
        <translation>Classe LoRaWAN</translation>
    </message>
    <message>
        <location filename="../../src/editors/WdgRadioCfg.cpp" line="139"/>
        <source>Mode Local (LoRa P2P)</source>
        <translation>Mode local (LoRa P2P)</translation>
    </message>
    <message>
        <location filename="../../src/editors/WdgRadioCfg.cpp" line="143"/>
        <source>Mode Compat Lora/LoraWan Repeater</source>
        <translation>Mode compatible répéteur Lora/LoRaWAN</translation>
    </message>
    <message>
        <location filename="../../src/device/family/ConfigDiff.cpp" line="53"/>
        <location filename="../../src/editors/WdgRadioCfg.cpp" line="166"/>
        <location filename="../../src/editors/WdgRadioCfg.cpp" line="239"/>
        <location filename="../../src/editors/WdgRadioCfg.cpp" line="301"/>
        <source>Class A</source>
        <translation>Classe A</translation>
    </message>
    <message>
        <location filename="../../src/device/family/ConfigDiff.cpp" line="54"/>
        <location filename="../../src/editors/WdgRadioCfg.cpp" line="168"/>
        <location filename="../../src/editors/WdgRadioCfg.cpp" line="241"/>
        <location filename="../../src/editors/WdgRadioCfg.cpp" line="303"/>
        <source>Class C</source>
        <translation>Classe C</translation>
    </message>
    <message>
        <location filename="../../src/editors/WdgRadioCfg.cpp" line="181"/>
        <source>Channel %1 (%2 Mhz) LoRa Modulation</source>
        <translation>Canal %1 (%2 MHz) modulation LoRa</translation>
    </message>
    <message>
        <location filename="../../src/editors/WdgRadioCfg.cpp" line="192"/>
        <source>Channel %1 (%2 Mhz) FSK Modulation</source>
        <translation>Canal %1 (%2 MHz) modulation FSK</translation>
    </message>
    <message>
        <location filename="../../src/editors/WdgRadioCfg.cpp" line="223"/>
        <location filename="../../src/editors/WdgRadioCfg.cpp" line="281"/>
        <source>Local</source>
        <translation>Local</translation>
    </message>
    <message>
        <location filename="../../src/editors/WdgRadioCfg.cpp" line="226"/>
        <location filename="../../src/editors/WdgRadioCfg.cpp" line="285"/>
        <source>Compat</source>
        <translation>Compatible</translation>
    </message>
    <message>
        <location filename="../../src/editors/WdgRadioCfg.cpp" line="395"/>
        <source>Radio configuration %1 will be written as %2</source>
        <translation>La configuration radio %1 sera écrite comme %2</translation>
    </message>
    <message>
        <location filename="../../src/editors/WdgRadioCfg.cpp" line="396"/>
        <location filename="../../src/editors/WdgRadioCfg.cpp" line="397"/>
        <source>(empty)</source>
        <translation>(vide)</translation>
    </message>
    <message>
        <location filename="../../src/editors/WdgRadioCfg.cpp" line="402"/>
        <source>Radio technology %1 is not known; %2 will be written</source>
        <translation>La technologie radio %1 est inconnue ; %2 sera écrite</translation>
    </message>
</context>
<context>
    <name>WdgScanBle</name>
    <message>
        <location filename="../../src/app/WdgScanBle.ui" line="14"/>
        <source>Form</source>
        <translation>Formulaire</translation>
    </message>
    <message>
        <location filename="../../src/app/WdgScanBle.ui" line="27"/>
        <source>Bluetooth detected devices</source>
        <translation>Appareils Bluetooth détectés</translation>
    </message>
    <message>
        <location filename="../../src/app/WdgScanBle.ui" line="67"/>
        <source>Ble Connection</source>
        <translation>Connexion BLE</translation>
    </message>
    <message>
        <location filename="../../src/app/WdgScanBle.cpp" line="23"/>
        <location filename="../../src/app/WdgScanBle.cpp" line="140"/>
        <source>Connect</source>
        <translation>Connecter</translation>
    </message>
    <message>
        <location filename="../../src/app/WdgScanBle.cpp" line="52"/>
        <source>Scanning ...</source>
        <translation>Recherche...</translation>
    </message>
    <message>
        <location filename="../../src/app/WdgScanBle.cpp" line="64"/>
        <source>Bluetooth is turned off: BLE devices can&apos;t be scanned.</source>
        <translation>Le Bluetooth est désactivé : impossible de rechercher les appareils BLE.</translation>
    </message>
    <message>
        <location filename="../../src/app/WdgScanBle.cpp" line="68"/>
        <source>No Bluetooth adapter found: BLE devices can&apos;t be scanned.</source>
        <translation>Aucun adaptateur Bluetooth trouvé : impossible de rechercher les appareils BLE.</translation>
    </message>
    <message>
        <location filename="../../src/app/WdgScanBle.cpp" line="71"/>
        <source>BLE scan failed: %1</source>
        <translation>Échec de la recherche BLE : %1</translation>
    </message>
    <message>
        <location filename="../../src/app/WdgScanBle.cpp" line="78"/>
        <source>Not scanning</source>
        <translation>Pas de recherche</translation>
    </message>
    <message>
        <location filename="../../src/app/WdgScanBle.cpp" line="127"/>
        <location filename="../../src/app/WdgScanBle.cpp" line="158"/>
        <source>Connection In progress ...</source>
        <translation>Connexion en cours...</translation>
    </message>
</context>
<context>
    <name>WdgThresholdCfg</name>
    <message>
        <location filename="../../src/editors/WdgThresholdCfg.ui" line="14"/>
        <source>Form</source>
        <translation>Formulaire</translation>
    </message>
    <message>
        <location filename="../../src/editors/WdgThresholdCfg.ui" line="20"/>
        <source>Threshold</source>
        <translation>Seuil</translation>
    </message>
    <message>
        <location filename="../../src/editors/WdgThresholdCfg.ui" line="32"/>
        <source>High</source>
        <translation>Haut</translation>
    </message>
    <message>
        <location filename="../../src/editors/WdgThresholdCfg.ui" line="52"/>
        <source>Low</source>
        <translation>Bas</translation>
    </message>
    <message>
        <location filename="../../src/editors/WdgThresholdCfg.ui" line="72"/>
        <location filename="../../src/editors/WdgThresholdCfg.cpp" line="249"/>
        <source>Hysteresis</source>
        <translation>Hystérésis</translation>
    </message>
    <message>
        <location filename="../../src/editors/WdgThresholdCfg.ui" line="82"/>
        <source>+/- </source>
        <translation>+/- </translation>
    </message>
    <message>
        <location filename="../../src/editors/WdgThresholdCfg.ui" line="95"/>
        <location filename="../../src/editors/WdgThresholdCfg.cpp" line="260"/>
        <source>Duration</source>
        <translation>Durée</translation>
    </message>
    <message>
        <location filename="../../src/editors/WdgThresholdCfg.ui" line="105"/>
        <location filename="../../src/device/family/ConfigDiff.cpp" line="57"/>
        <location filename="../../src/editors/WdgThresholdCfg.cpp" line="260"/>
        <source> s</source>
        <translation> s</translation>
    </message>
    <message>
        <location filename="../../src/editors/WdgThresholdCfg.ui" line="131"/>
        <location filename="../../src/editors/WdgThresholdCfg.cpp" line="261"/>
        <source>Fast TX period</source>
        <translation>Période d&apos;émission rapide</translation>
    </message>
    <message>
        <location filename="../../src/editors/WdgThresholdCfg.ui" line="144"/>
        <location filename="../../src/device/family/ConfigDiff.cpp" line="58"/>
        <location filename="../../src/editors/WdgThresholdCfg.cpp" line="261"/>
        <source> min</source>
        <translation> min</translation>
    </message>
    <message>
        <location filename="../../src/editors/WdgThresholdCfg.cpp" line="210"/>
        <source>Threshold record of %1 bytes ignored (%2 expected)</source>
        <translation>Enregistrement de seuil de %1 octets ignoré (%2 attendus)</translation>
    </message>
    <message>
        <location filename="../../src/editors/WdgThresholdCfg.cpp" line="226"/>
        <source>Threshold values rejected (out of range or inconsistent)</source>
        <translation>Valeurs de seuil rejetées (hors plage ou incohérentes)</translation>
    </message>
    <message>
        <location filename="../../src/editors/WdgThresholdCfg.cpp" line="245"/>
        <location filename="../../src/editors/WdgThresholdCfg.cpp" line="258"/>
        <source>%1 %2 becomes %3</source>
        <translation>%1 %2 devient %3</translation>
    </message>
    <message>
        <location filename="../../src/editors/WdgThresholdCfg.cpp" line="247"/>
        <source>High threshold</source>
        <translation>Seuil haut</translation>
    </message>
    <message>
        <location filename="../../src/editors/WdgThresholdCfg.cpp" line="248"/>
        <source>Low threshold</source>
        <translation>Seuil bas</translation>
    </message>
    <message>
        <location filename="../../src/device/family/ConfigDiff.cpp" line="59"/>
        <location filename="../../src/editors/WdgThresholdCfg.cpp" line="252"/>
        <source>off</source>
        <translation>désactivé</translation>
    </message>
</context>
<context>
    <name>WdgTimeStamp</name>
    <message>
        <location filename="../../src/editors/WdgTimeStamp.ui" line="14"/>
        <source>Form</source>
        <translation>Formulaire</translation>
    </message>
    <message>
        <location filename="../../src/editors/WdgTimeStamp.ui" line="28"/>
        <source>No Date</source>
        <translation>Aucune date</translation>
    </message>
    <message>
        <location filename="../../src/editors/WdgTimeStamp.ui" line="52"/>
        <source>Date Offset (in sec)</source>
        <translation>Décalage de date (en s)</translation>
    </message>
</context>
<context>
    <name>WdgTreeViewFrame</name>
    <message>
        <location filename="../../src/tools/WdgTreeViewFrame.cpp" line="23"/>
        <source>Frames</source>
        <translation>Trames</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgTreeViewFrame.cpp" line="23"/>
        <source>Parameter</source>
        <translation>Paramètre</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgTreeViewFrame.cpp" line="23"/>
        <source>Value</source>
        <translation>Valeur</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgTreeViewFrame.cpp" line="33"/>
        <source>Import frames from clipboard</source>
        <translation>Importer des trames depuis le presse-papiers</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgTreeViewFrame.cpp" line="35"/>
        <source>Export selected frames to clipboard</source>
        <translation>Exporter les trames sélectionnées vers le presse-papiers</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgTreeViewFrame.cpp" line="37"/>
        <source>Export all frames to clipboard</source>
        <translation>Exporter toutes les trames vers le presse-papiers</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgTreeViewFrame.cpp" line="38"/>
        <source>Remove selected frames</source>
        <translation>Supprimer les trames sélectionnées</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgTreeViewFrame.cpp" line="40"/>
        <source>Remove all frames</source>
        <translation>Supprimer toutes les trames</translation>
    </message>
</context>
<context>
    <name>WdgTreeViewParams</name>
    <message>
        <location filename="../../src/tools/WdgTreeViewParams.cpp" line="22"/>
        <source>Parameters</source>
        <translation>Paramètres</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgTreeViewParams.cpp" line="22"/>
        <source>Value</source>
        <translation>Valeur</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgTreeViewParams.cpp" line="31"/>
        <source>Add selected parameters to frames</source>
        <translation>Ajouter les paramètres sélectionnés aux trames</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgTreeViewParams.cpp" line="32"/>
        <source>Add all parameters to frames</source>
        <translation>Ajouter tous les paramètres aux trames</translation>
    </message>
</context>
<context>
    <name>WdgUartTerm</name>
    <message>
        <location filename="../../src/tools/WdgUartTerm.ui" line="14"/>
        <source>Form</source>
        <translation>Formulaire</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgUartTerm.ui" line="83"/>
        <source>Send</source>
        <translation>Envoyer</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgUartTerm.ui" line="90"/>
        <source>Clear the output</source>
        <translation>Effacer l&apos;affichage</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgUartTerm.cpp" line="131"/>
        <source>[Tx Not accepted]</source>
        <translation>[Tx non accepté]</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgUartTerm.cpp" line="148"/>
        <source>[Tx Framing error]</source>
        <translation>[Tx erreur de trame]</translation>
    </message>
    <message>
        <location filename="../../src/tools/WdgUartTerm.cpp" line="207"/>
        <source>[Rx Timeout]</source>
        <translation>[Rx délai d&apos;attente dépassé]</translation>
    </message>
</context>
<context>
    <name>YmodemUpdate</name>
    <message>
        <location filename="../../src/update/Ymodem.cpp" line="173"/>
        <source>Error: file %1 not found</source>
        <translation>Erreur : fichier %1 introuvable</translation>
    </message>
    <message>
        <location filename="../../src/update/Ymodem.cpp" line="178"/>
        <source>Error: empty file</source>
        <translation>Erreur : fichier vide</translation>
    </message>
    <message>
        <location filename="../../src/update/Ymodem.cpp" line="182"/>
        <source>Error: file size too long</source>
        <translation>Erreur : fichier trop volumineux</translation>
    </message>
    <message>
        <location filename="../../src/update/Ymodem.cpp" line="186"/>
        <source>Error: communication failed</source>
        <translation>Erreur : échec de la communication</translation>
    </message>
    <message>
        <location filename="../../src/update/Ymodem.cpp" line="187"/>
        <source>Waiting for bootloader detection...</source>
        <translation>Attente de la détection du chargeur d&apos;amorçage...</translation>
    </message>
    <message>
        <location filename="../../src/update/Ymodem.cpp" line="192"/>
        <source>Error: bootloader not detected</source>
        <translation>Erreur : chargeur d&apos;amorçage non détecté</translation>
    </message>
    <message>
        <location filename="../../src/update/Ymodem.cpp" line="197"/>
        <source>Bootloader detected</source>
        <translation>Chargeur d&apos;amorçage détecté</translation>
    </message>
    <message>
        <location filename="../../src/update/Ymodem.cpp" line="218"/>
        <source>Sending firmware...</source>
        <translation>Envoi du micrologiciel...</translation>
    </message>
    <message>
        <location filename="../../src/update/Ymodem.cpp" line="233"/>
        <source>Error: file reading</source>
        <translation>Erreur : lecture du fichier</translation>
    </message>
    <message>
        <location filename="../../src/update/Ymodem.cpp" line="263"/>
        <source>Firmware sent</source>
        <translation>Micrologiciel envoyé</translation>
    </message>
</context>
<context>
    <name>dlgUpdateChecker</name>
    <message>
        <location filename="../../src/tools/dlgUpdateChecker.ui" line="14"/>
        <source>Check for updates</source>
        <translation>Rechercher des mises à jour</translation>
    </message>
    <message>
        <location filename="../../src/tools/dlgUpdateChecker.ui" line="57"/>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <location filename="../../src/tools/dlgUpdateChecker.cpp" line="83"/>
        <source>A new version is available online, check the ORV-CFG download page :&lt;br/&gt;</source>
        <translation>Une nouvelle version est disponible en ligne, consultez la page de téléchargement ORV-CFG :&lt;br/&gt;</translation>
    </message>
    <message>
        <location filename="../../src/tools/dlgUpdateChecker.cpp" line="84"/>
        <source>Download page</source>
        <translation>Page de téléchargement</translation>
    </message>
    <message>
        <location filename="../../src/tools/dlgUpdateChecker.cpp" line="86"/>
        <source>The current version is already the latest!</source>
        <translation>La version actuelle est déjà la plus récente !</translation>
    </message>
    <message>
        <location filename="../../src/tools/dlgUpdateChecker.cpp" line="97"/>
        <source>An error occurs when trying to fetch for updates&lt;br/&gt;</source>
        <translation>Une erreur est survenue lors de la recherche de mises à jour&lt;br/&gt;</translation>
    </message>
    <message>
        <location filename="../../src/tools/dlgUpdateChecker.cpp" line="97"/>
        <source>More details : </source>
        <translation>Plus de détails : </translation>
    </message>
    <message>
        <location filename="../../src/tools/dlgUpdateChecker.cpp" line="116"/>
        <source>Network error %1</source>
        <translation>Erreur réseau %1</translation>
    </message>
    <message>
        <location filename="../../src/tools/dlgUpdateChecker.cpp" line="116"/>
        <source>JSON error</source>
        <translation>Erreur JSON</translation>
    </message>
</context>
</TS>
