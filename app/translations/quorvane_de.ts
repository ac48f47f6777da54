<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de" sourcelanguage="en">
<context>
    <name>Chart</name>
    <message>
        <source>no change</source>
        <translation>unverändert</translation>
    </message>
    <message>
        <source>new</source>
        <translation>neu</translation>
    </message>
    <message>
        <source>+%1 since %2</source>
        <translation>+%1 seit %2</translation>
    </message>
    <message>
        <source>-%1 since %2</source>
        <translation>-%1 seit %2</translation>
    </message>
    <message>
        <source>no change since %1</source>
        <translation>unverändert seit %1</translation>
    </message>
    <message>
        <source>gone since %1</source>
        <translation>weg seit %1</translation>
    </message>
    <message>
        <source>gone</source>
        <translation>weg</translation>
    </message>
    <message>
        <location filename="../../chart/chartpicture.cpp" line="92"/>
        <source>... and %1 more</source>
        <translation>... und %1 weitere</translation>
    </message>
    <message>
        <location filename="../../chart/chartpicture.cpp" line="148"/>
        <source>Folder Sizes</source>
        <translation>Ordnergrößen</translation>
    </message>
    <message>
        <location filename="../../chart/slicetext.cpp" line="77"/>
        <source>Getting folder size...</source>
        <translation>Ordnergröße wird ermittelt...</translation>
    </message>
    <message>
        <location filename="../../chart/slicetooltip.cpp" line="22"/>
        <source>%1 (%2 bytes)</source>
        <translation>%1 (%2 Byte)</translation>
    </message>
    <message>
        <location filename="../../chart/slicetooltip.cpp" line="26"/>
        <source>less than %1% of the total</source>
        <translation>weniger als %1 % der Gesamtgröße</translation>
    </message>
    <message>
        <location filename="../../chart/slicetext.cpp" line="82"/>
        <source>Not answering</source>
        <translation>Antwortet nicht</translation>
    </message>
    <message>
        <location filename="../../chart/slicetooltip.cpp" line="18"/>
        <source>Not answering: %1 could be read
Charting the folder again asks it again</source>
        <translation>Antwortet nicht: %1 konnten gelesen werden
Ein neues Diagramm des Ordners fragt erneut</translation>
    </message>
    <message>
        <location filename="../../chart/slicetooltip.cpp" line="29"/>
        <source>%1% of the total</source>
        <translation>%1 % der Gesamtgröße</translation>
    </message>
</context>
<context>
    <name>ChartLegend</name>
    <message>
        <location filename="../../chart/chartlegend.cpp" line="28"/>
        <source>Legend</source>
        <translation>Legende</translation>
    </message>
</context>
<context>
    <name>ErrorReport</name>
    <message>
        <location filename="../errorreport.cpp" line="50"/>
        <source>Application Error</source>
        <translation>Anwendungsfehler</translation>
    </message>
    <message>
        <location filename="../errorreport.cpp" line="56"/>
        <source>at line </source>
        <translation>in Zeile </translation>
    </message>
    <message>
        <location filename="../errorreport.cpp" line="58"/>
        <source>Please email screenshot of this message to </source>
        <translation>Bitte senden Sie ein Bildschirmfoto dieser Meldung an </translation>
    </message>
</context>
<context>
    <name>FolderActions</name>
    <message>
        <location filename="../work/wt/trash/app/folderactionstrash.cpp" line="16"/>
        <source>&apos;%1&apos; cannot go to the Trash: %2</source>
        <translation>'%1' kann nicht in den Papierkorb: %2</translation>
    </message>
    <message>
        <location filename="../work/wt/trash/app/folderactionstrash.cpp" line="21"/>
        <source>Move to Trash</source>
        <translation>In den Papierkorb verschieben</translation>
    </message>
    <message>
        <location filename="../work/wt/trash/app/folderactionstrash.cpp" line="31"/>
        <source>Another folder has taken its place</source>
        <translation>Ein anderer Ordner hat seinen Platz eingenommen</translation>
    </message>
    <message>
        <location filename="../work/wt/trash/app/folderactionstrash.cpp" line="46"/>
        <source>&apos;%1&apos; was not moved: %2</source>
        <translation>'%1' wurde nicht verschoben: %2</translation>
    </message>
    <message>
        <location filename="../work/wt/trash/app/folderactionstrash.cpp" line="91"/>
        <source>&apos;%1&apos; was not put back: %2</source>
        <translation>'%1' wurde nicht zurückgelegt: %2</translation>
    </message>
    <message>
        <location filename="../work/wt/trash/app/folderactionstrash.cpp" line="108"/>
        <source>Put &apos;%1&apos; back where it was</source>
        <translation>'%1' liegt wieder an seinem Ort</translation>
    </message>
    <message>
        <source>&apos;%1&apos; could not be opened: no file manager answered</source>
        <translation>&apos;%1&apos; konnte nicht geöffnet werden: kein Dateimanager hat geantwortet</translation>
    </message>
    <message>
        <source>No terminal could be started in &apos;%1&apos;</source>
        <translation>In &apos;%1&apos; konnte kein Terminal gestartet werden</translation>
    </message>
</context>
<context>
    <name>FolderMenu</name>
    <message>
        <location filename="../work/wt/trash/app/foldermenu.cpp" line="22"/>
        <source>Move %1 to the Trash?</source>
        <translation>%1 in den Papierkorb verschieben?</translation>
    </message>
    <message>
        <location filename="../work/wt/trash/app/foldermenu.cpp" line="28"/>
        <source>Moved %1 to the Trash</source>
        <translation>%1 in den Papierkorb verschoben</translation>
    </message>
    <message>
        <location filename="../work/wt/trash/app/foldermenu.cpp" line="42"/>
        <source>Open</source>
        <translation>Öffnen</translation>
    </message>
    <message>
        <location filename="../work/wt/trash/app/foldermenu.cpp" line="44"/>
        <source>Open Terminal Here</source>
        <translation>Terminal hier öffnen</translation>
    </message>
    <message>
        <location filename="../work/wt/trash/app/foldermenu.cpp" line="47"/>
        <source>No terminal is installed</source>
        <translation>Kein Terminal installiert</translation>
    </message>
    <message>
        <location filename="../work/wt/trash/app/foldermenu.cpp" line="49"/>
        <source>Copy Path</source>
        <translation>Pfad kopieren</translation>
    </message>
    <message>
        <location filename="../work/wt/trash/app/foldermenu.cpp" line="52"/>
        <source>Move to Trash…</source>
        <translation>In den Papierkorb verschieben…</translation>
    </message>
    <message>
        <location filename="../work/wt/trash/app/foldermenu.cpp" line="58"/>
        <source>Refresh</source>
        <translation>Aktualisieren</translation>
    </message>
</context>
<context>
    <name>Form1</name>
    <message>
        <source>Compare With</source>
        <translation>Vergleichen mit</translation>
    </message>
    <message>
        <source>No Comparison</source>
        <translation>Kein Vergleich</translation>
    </message>
    <message>
        <source>No earlier looks</source>
        <translation>Keine früheren Ansichten</translation>
    </message>
    <message>
        <source>Scan File…</source>
        <translation>Scan-Datei…</translation>
    </message>
    <message>
        <source>Compare With a Scan File</source>
        <translation>Mit einer Scan-Datei vergleichen</translation>
    </message>
    <message>
        <source>%1 - %2</source>
        <translation>%1 - %2</translation>
    </message>
    <message>
        <source>%1 holds no scan of %2</source>
        <translation>%1 enthält keinen Scan von %2</translation>
    </message>
    <message>
        <source>%1 cannot be read: %2</source>
        <translation>%1 kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>History</source>
        <translation>Verlauf</translation>
    </message>
    <message>
        <location filename="../form1.cpp" line="74"/>
        <source>Preview</source>
        <translation>Vorschau</translation>
    </message>
    <message>
        <location filename="../form1.cpp" line="90"/>
        <location filename="../form1chart.cpp" line="101"/>
        <location filename="../form1chart.cpp" line="118"/>
        <source>Progress Bar</source>
        <translation>Fortschrittsbalken</translation>
    </message>
    <message>
        <location filename="../form1.cpp" line="92"/>
        <source>Save Chart As JPG</source>
        <translation>Diagramm als JPG speichern</translation>
    </message>
    <message>
        <location filename="../form1.cpp" line="102"/>
        <source>Export Chart To Excel</source>
        <translation>Nach Excel exportieren</translation>
    </message>
    <message>
        <location filename="../form1.cpp" line="103"/>
        <source>Save Side Text To Text File</source>
        <translation>Seitentext als Textdatei speichern</translation>
    </message>
    <message>
        <location filename="../form1chart.cpp" line="75"/>
        <source>Generating Chart...Please Wait</source>
        <translation>Diagramm wird erstellt... Bitte warten</translation>
    </message>
    <message>
        <location filename="../form1chart.cpp" line="78"/>
        <source>No subfolders in %1</source>
        <translation>Keine Unterordner in %1</translation>
    </message>
    <message>
        <location filename="../form1savechart.cpp" line="30"/>
        <source>Add File(s) - Hold Ctrl to select multiple files</source>
        <translation>Datei(en) hinzufügen - Strg gedrückt halten, um mehrere Dateien zu wählen</translation>
    </message>
    <message>
        <location filename="../form1savechart.cpp" line="32"/>
        <source>JPG Files (*.jpg)|*.jpg|</source>
        <translation>JPG-Dateien (*.jpg)|*.jpg|</translation>
    </message>
    <message>
        <location filename="../form1savesidetext.cpp" line="21"/>
        <source>Save</source>
        <translation>Speichern</translation>
    </message>
    <message>
        <location filename="../form1savesidetext.cpp" line="23"/>
        <source>Text Files (*.txt)|*.txt|All Files (*.*)|*.*|</source>
        <translation>Textdateien (*.txt)|*.txt|Alle Dateien (*.*)|*.*|</translation>
    </message>
    <message>
        <location filename="../form1tree.cpp" line="19"/>
        <source>Folders</source>
        <translation>Ordner</translation>
    </message>
</context>
<context>
    <name>RuntimeError</name>
    <message>
        <location filename="../errorreport.cpp" line="11"/>
        <source>Path not found</source>
        <translation>Pfad nicht gefunden</translation>
    </message>
    <message>
        <location filename="../errorreport.cpp" line="12"/>
        <source>Permission denied</source>
        <translation>Zugriff verweigert</translation>
    </message>
    <message>
        <location filename="../errorreport.cpp" line="13"/>
        <source>Device I/O error</source>
        <translation>E/A-Fehler des Geräts</translation>
    </message>
    <message>
        <location filename="../errorreport.cpp" line="14"/>
        <source>Path/File access error</source>
        <translation>Fehler beim Pfad-/Dateizugriff</translation>
    </message>
    <message>
        <location filename="../errorreport.cpp" line="15"/>
        <source>Disk full</source>
        <translation>Datenträger voll</translation>
    </message>
    <message>
        <location filename="../errorreport.cpp" line="16"/>
        <source>Bad file name</source>
        <translation>Ungültiger Dateiname</translation>
    </message>
    <message>
        <location filename="../errorreport.cpp" line="17"/>
        <source>Invalid picture</source>
        <translation>Ungültiges Bild</translation>
    </message>
    <message>
        <location filename="../errorreport.cpp" line="18"/>
        <source>Out of memory</source>
        <translation>Nicht genügend Speicher</translation>
    </message>
    <message>
        <location filename="../errorreport.cpp" line="19"/>
        <source>File not found</source>
        <translation>Datei nicht gefunden</translation>
    </message>
    <message>
        <location filename="../errorreport.cpp" line="20"/>
        <source>Cannot save the image. GDI+ Error:</source>
        <translation>Das Bild kann nicht gespeichert werden. GDI+-Fehler:</translation>
    </message>
    <message>
        <location filename="../errorreport.cpp" line="21"/>
        <source>Object variable not set</source>
        <translation>Objektvariable nicht festgelegt</translation>
    </message>
    <message>
        <location filename="../errorreport.cpp" line="22"/>
        <source>Invalid procedure call or argument</source>
        <translation>Ungültiger Prozeduraufruf oder ungültiges Argument</translation>
    </message>
    <message>
        <location filename="../errorreport.cpp" line="23"/>
        <source>Object variable or With block variable not set</source>
        <translation>Objektvariable oder With-Blockvariable nicht festgelegt</translation>
    </message>
    <message>
        <location filename="../errorreport.cpp" line="24"/>
        <source>Cannot create the spreadsheet application</source>
        <translation>Die Tabellenkalkulation kann nicht gestartet werden</translation>
    </message>
    <message>
        <location filename="../errorreport.cpp" line="25"/>
        <source>Cannot place the picture on the worksheet</source>
        <translation>Das Bild kann nicht auf das Arbeitsblatt gesetzt werden</translation>
    </message>
    <message>
        <location filename="../errorreport.cpp" line="26"/>
        <source>Type mismatch</source>
        <translation>Typen unverträglich</translation>
    </message>
    <message>
        <location filename="../errorreport.cpp" line="27"/>
        <source>Overflow</source>
        <translation>Überlauf</translation>
    </message>
    <message>
        <location filename="../errorreport.cpp" line="28"/>
        <source>Invalid property value</source>
        <translation>Ungültiger Eigenschaftswert</translation>
    </message>
    <message>
        <location filename="../errorreport.cpp" line="29"/>
        <source>Element not found</source>
        <translation>Element nicht gefunden</translation>
    </message>
    <message>
        <location filename="../errorreport.cpp" line="30"/>
        <source>Key is not unique in collection</source>
        <translation>Schlüssel ist in der Auflistung nicht eindeutig</translation>
    </message>
</context>
<context>
    <name>ShellLibrary</name>
    <message>
        <location filename="../../platform/shelllibrary.cpp" line="12"/>
        <source>Control Panel</source>
        <translation>Systemsteuerung</translation>
    </message>
    <message>
        <location filename="../../platform/shelllibrary.cpp" line="14"/>
        <source>Desktop</source>
        <translation>Schreibtisch</translation>
    </message>
    <message>
        <location filename="../../platform/shelllibrary.cpp" line="16"/>
        <source>Computer</source>
        <translation>Computer</translation>
    </message>
    <message>
        <location filename="../../platform/shelllibrary.cpp" line="18"/>
        <source>Removable Disk</source>
        <translation>Wechseldatenträger</translation>
    </message>
    <message>
        <location filename="../../platform/shelllibrary.cpp" line="20"/>
        <source>Local Disk</source>
        <translation>Lokaler Datenträger</translation>
    </message>
</context>
<context>
    <name>TrashBar</name>
    <message>
        <location filename="../work/wt/trash/app/trashbar.cpp" line="13"/>
        <source>Undo</source>
        <translation>Rückgängig</translation>
    </message>
    <message>
        <location filename="../work/wt/trash/app/trashbar.cpp" line="14"/>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
</context>
<context>
    <name>TrashRefusal</name>
    <message>
        <location filename="../work/wt/trash/app/trashrefusal.cpp" line="20"/>
        <source>An opened scan is read-only</source>
        <translation>Ein geöffneter Scan ist schreibgeschützt</translation>
    </message>
    <message>
        <location filename="../work/wt/trash/app/trashrefusal.cpp" line="22"/>
        <source>The root of the file system</source>
        <translation>Die Wurzel des Dateisystems</translation>
    </message>
    <message>
        <location filename="../work/wt/trash/app/trashrefusal.cpp" line="24"/>
        <source>Your home folder</source>
        <translation>Ihr persönlicher Ordner</translation>
    </message>
    <message>
        <location filename="../work/wt/trash/app/trashrefusal.cpp" line="26"/>
        <source>Holds your home folder</source>
        <translation>Enthält Ihren persönlichen Ordner</translation>
    </message>
    <message>
        <location filename="../work/wt/trash/app/trashrefusal.cpp" line="28"/>
        <source>The folder the chart shows</source>
        <translation>Der Ordner, den das Diagramm zeigt</translation>
    </message>
    <message>
        <location filename="../work/wt/trash/app/trashrefusal.cpp" line="30"/>
        <source>Holds the folder the chart shows</source>
        <translation>Enthält den Ordner, den das Diagramm zeigt</translation>
    </message>
    <message>
        <location filename="../work/wt/trash/app/trashrefusal.cpp" line="32"/>
        <source>Holds the folder selected in the tree</source>
        <translation>Enthält den im Baum gewählten Ordner</translation>
    </message>
    <message>
        <location filename="../work/wt/trash/app/trashrefusal.cpp" line="34"/>
        <source>Its size is still being measured</source>
        <translation>Seine Größe wird noch ermittelt</translation>
    </message>
    <message>
        <location filename="../work/wt/trash/app/trashrefusal.cpp" line="36"/>
        <source>Another folder is being moved</source>
        <translation>Ein anderer Ordner wird gerade verschoben</translation>
    </message>
    <message>
        <location filename="../work/wt/trash/app/trashrefusal.cpp" line="40"/>
        <source>Its name is not UTF-8 text</source>
        <translation>Sein Name ist kein UTF-8-Text</translation>
    </message>
    <message>
        <location filename="../work/wt/trash/app/trashrefusal.cpp" line="42"/>
        <source>Its volume is not responding</source>
        <translation>Sein Laufwerk antwortet nicht</translation>
    </message>
    <message>
        <location filename="../work/wt/trash/app/trashrefusal.cpp" line="44"/>
        <source>It is no longer there</source>
        <translation>Er ist nicht mehr vorhanden</translation>
    </message>
    <message>
        <location filename="../work/wt/trash/app/trashrefusal.cpp" line="46"/>
        <source>A volume is mounted on it</source>
        <translation>Auf ihm ist ein Laufwerk eingehängt</translation>
    </message>
    <message>
        <location filename="../work/wt/trash/app/trashrefusal.cpp" line="48"/>
        <source>You may not remove folders from its parent folder</source>
        <translation>Sie dürfen aus seinem übergeordneten Ordner keine Ordner entfernen</translation>
    </message>
    <message>
        <location filename="../work/wt/trash/app/trashrefusal.cpp" line="51"/>
        <source>Its parent folder lets only the owner remove it</source>
        <translation>Nur sein Besitzer darf ihn aus dem übergeordneten Ordner entfernen</translation>
    </message>
</context>
<context>
    <name>TrashMove</name>
    <message>
        <location filename="../work/wt/trash/app/trashmove.cpp" line="45"/>
        <source>It is no longer there</source>
        <translation>Er ist nicht mehr vorhanden</translation>
    </message>
    <message>
        <location filename="../work/wt/trash/app/trashmove.cpp" line="49"/>
        <source>Another folder has taken its place</source>
        <translation>Ein anderer Ordner hat seinen Platz eingenommen</translation>
    </message>
    <message>
        <location filename="../work/wt/trash/app/trashmove.cpp" line="55"/>
        <source>The Trash cannot take it here: the home trash cannot be made</source>
        <translation>Der Papierkorb kann ihn hier nicht aufnehmen: der Papierkorb im persönlichen Ordner lässt sich nicht anlegen</translation>
    </message>
    <message>
        <location filename="../work/wt/trash/app/trashmove.cpp" line="66"/>
        <source>The Trash cannot take it here: its volume is read-only</source>
        <translation>Der Papierkorb kann ihn hier nicht aufnehmen: sein Laufwerk ist schreibgeschützt</translation>
    </message>
    <message>
        <location filename="../work/wt/trash/app/trashmove.cpp" line="68"/>
        <source>The Trash cannot take it here: its volume has no usable trash</source>
        <translation>Der Papierkorb kann ihn hier nicht aufnehmen: sein Laufwerk hat keinen nutzbaren Papierkorb</translation>
    </message>
    <message>
        <location filename="../work/wt/trash/app/trashmove.cpp" line="72"/>
        <source>%1, and it is no longer where it was</source>
        <translation>%1, und er ist nicht mehr an seinem Ort</translation>
    </message>
    <message>
        <location filename="../work/wt/trash/app/trashmove.cpp" line="83"/>
        <source>The Trash cannot take it here</source>
        <translation>Der Papierkorb kann ihn hier nicht aufnehmen</translation>
    </message>
    <message>
        <location filename="../work/wt/trash/app/trashmove.cpp" line="84"/>
        <source>The Trash left it at %1</source>
        <translation>Der Papierkorb hat ihn unter %1 gelassen</translation>
    </message>
    <message>
        <location filename="../work/wt/trash/app/trashmove.cpp" line="98"/>
        <source>It is no longer in the Trash</source>
        <translation>Er ist nicht mehr im Papierkorb</translation>
    </message>
    <message>
        <location filename="../work/wt/trash/app/trashmove.cpp" line="114"/>
        <source>Its name has been taken since; it stays in the Trash</source>
        <translation>Sein Name ist inzwischen vergeben; er bleibt im Papierkorb</translation>
    </message>
    <message>
        <location filename="../work/wt/trash/app/trashmove.cpp" line="118"/>
        <source>Its folder is gone; it stays in the Trash</source>
        <translation>Der Ordner, in dem er lag, ist fort; er bleibt im Papierkorb</translation>
    </message>
    <message>
        <location filename="../work/wt/trash/app/trashmove.cpp" line="120"/>
        <source>%1; it stays in the Trash</source>
        <translation>%1; er bleibt im Papierkorb</translation>
    </message>
</context>
<context>
    <name>TreeFolder</name>
    <message>
        <location filename="../../treefolder/silentvolumes.cpp" line="27"/>
        <source>Not responding</source>
        <translation>Antwortet nicht</translation>
    </message>
</context>
<context>
    <name>ScanWindow</name>
    <message>
        <location filename="../scanwindowexports.cpp" line="84"/>
        <source>Workbook written to %1</source>
        <translation>Arbeitsmappe geschrieben nach %1</translation>
    </message>
    <message>
        <location filename="../scanwindow.cpp" line="21"/>
        <source>Scan of %1</source>
        <translation>Scan von %1</translation>
    </message>
    <message>
        <location filename="../scanwindow.cpp" line="28"/>
        <source>from %1</source>
        <translation>von %1</translation>
    </message>
    <message>
        <location filename="../scanwindow.cpp" line="81"/>
        <source>No subfolders in %1</source>
        <translation>Keine Unterordner in %1</translation>
    </message>
</context>
<context>
    <name>History</name>
    <message>
        <source>History is off: the system could not start a thread for it.</source>
        <translation>Der Verlauf ist aus: Das System konnte keinen Thread dafür starten.</translation>
    </message>
    <message>
        <source>another program holds it</source>
        <translation>ein anderes Programm hält sie fest</translation>
    </message>
    <message>
        <source>the folder cannot be made</source>
        <translation>der Ordner kann nicht angelegt werden</translation>
    </message>
    <message>
        <source>a new database is damaged at once</source>
        <translation>eine neue Datenbank ist sofort beschädigt</translation>
    </message>
    <message>
        <source>a damaged database cannot be moved aside</source>
        <translation>eine beschädigte Datenbank kann nicht beiseitegelegt werden</translation>
    </message>
    <message>
        <source>The history of the charts was damaged: it was moved to %1 and a new one started.</source>
        <translation>Der Verlauf der Diagramme war beschädigt: Er wurde nach %1 verschoben und ein neuer begonnen.</translation>
    </message>
    <message>
        <source>History is off: %1 cannot be written (%2).</source>
        <translation>Der Verlauf ist aus: %1 kann nicht geschrieben werden (%2).</translation>
    </message>
    <message>
        <source>it is damaged</source>
        <translation>sie ist beschädigt</translation>
    </message>
    <message>
        <source>The history %1 cannot be read (%2).</source>
        <translation>Der Verlauf %1 kann nicht gelesen werden (%2).</translation>
    </message>
</context>
</TS>
