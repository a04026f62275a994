<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>quillorn::app</name>
    <message>
        <source>If you have to report an error, only send me the LAST Messages block (blocks start with &apos;%1 .....&apos; and a copyright notice), not the whole box.</source>
        <translation>Wenn Sie einen Fehler melden, schicken Sie mir bitte nur den LETZTEN Meldungsblock (Blöcke beginnen mit „%1 .....“ und einem Copyright-Vermerk), nicht den ganzen Inhalt des Fensters.</translation>
    </message>
    <message>
        <source>Quillorn - GhostScript Messages</source>
        <translation>Quillorn - GhostScript-Meldungen</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>&amp;Clear Messages</source>
        <translation>Meldungen &amp;löschen</translation>
    </message>
    <message>
        <source>Co&amp;py to clipboard</source>
        <translation>In Zwischenablage &amp;kopieren</translation>
    </message>
    <message>
        <source>An unexpected error occurred while saving the print job: </source>
        <translation>Beim Speichern des Druckauftrags ist ein unerwarteter Fehler aufgetreten: </translation>
    </message>
    <message>
        <source>Error (please report)</source>
        <translation>Fehler (bitte melden)</translation>
    </message>
    <message>
        <source>Cannot read the file to convert: no path follows /CONVERT:</source>
        <translation>Die zu konvertierende Datei kann nicht gelesen werden: Auf /CONVERT: folgt kein Pfad</translation>
    </message>
    <message>
        <source>Invalid command line: </source>
        <translation>Ungültige Befehlszeile: </translation>
    </message>
    <message>
        <source>Usage: quillorn [FILE]
       quillorn /VIEW:FILE
       quillorn /CONVERT:FILE
       quillorn --help | --version

Views PostScript, EPS and PDF files and converts them to other formats with Ghostscript.

  FILE, /VIEW:FILE  open FILE in the viewer
  /CONVERT:FILE     show only the conversion dialog for FILE
  --help            show this text and end
  --version         show the version and end

A print job on standard input shows only the conversion dialog for it.
</source>
        <translation type="vanished">Aufruf: quillorn [DATEI]
       quillorn /VIEW:DATEI
       quillorn /CONVERT:DATEI
       quillorn --help | --version

Zeigt PostScript-, EPS- und PDF-Dateien an und konvertiert sie mit Ghostscript in andere Formate.

  DATEI, /VIEW:DATEI  DATEI im Betrachter öffnen
  /CONVERT:DATEI      nur den Konvertierungsdialog für DATEI zeigen
  --help              diesen Text zeigen und beenden
  --version           die Version zeigen und beenden

Ein Druckauftrag auf der Standardeingabe zeigt nur den Konvertierungsdialog dafür.
</translation>
    </message>
    <message>
        <source>standard input: </source>
        <translation>Standardeingabe: </translation>
    </message>
    <message>
        <source>no temporary file could be made</source>
        <translation>es konnte keine temporäre Datei angelegt werden</translation>
    </message>
    <message>
        <source>pixels</source>
        <translation>Pixel</translation>
    </message>
    <message>
        <source>twips</source>
        <translation>Twips</translation>
    </message>
    <message>
        <source>mm</source>
        <translation>mm</translation>
    </message>
    <message>
        <source>inch</source>
        <translation>Zoll</translation>
    </message>
    <message>
        <source>x %1, y %2 %3</source>
        <translation>x %1, y %2 %3</translation>
    </message>
    <message>
        <source>Distance: %1 %2 (dx %3, dy %4)</source>
        <translation>Abstand: %1 %2 (dx %3, dy %4)</translation>
    </message>
    <message>
        <source>Usage: quillorn [--no-splash] [FILE]
       quillorn [--no-splash] /VIEW:FILE
       quillorn /CONVERT:FILE
       quillorn --convert INPUT... [OPTION...]
       quillorn --help | --version

Views PostScript, EPS and PDF files and converts them to other formats with Ghostscript.

  FILE, /VIEW:FILE  open FILE in the viewer
  /CONVERT:FILE     show only the conversion dialog for FILE
  --no-splash       start without the splash screen
  --help            show this text and end
  --version         show the version and end

A print job on standard input shows only the conversion dialog for it.

--convert converts each INPUT without a window (&quot;-&quot; reads a print job from
standard input); the output goes beside it, named as the dialog proposes:
  --format FORMAT   pdf (the default), png, jpeg, tiff, bmp, pcx, pnm, psd, eps,
                    ps or pxl; without it, the --output name&apos;s extension decides
  --device NAME     one of the format&apos;s Ghostscript devices, such as pnggray
  --resolution N    dots per inch (72)
  --output NAME     the output file; %d stands for the page number, %n for the
                    input&apos;s name; a folder (or NAME/) takes the proposed names
  --first N         from page N on
  --last N          up to page N
  --jobs N          at most N Ghostscript workers at a time
  --password P      the password of an encrypted PDF
  --force           replace existing output files (they are kept otherwise)
  --unsafe          let the document read and write files (no -dSAFER)
  --quiet           no progress
  --verbose         Ghostscript&apos;s messages on standard error
Exit status: 0 all converted, 1 some not (one line each on standard error),
2 a usage error, 128+N stopped by signal N.
</source>
        <translation>Aufruf: quillorn [--no-splash] [DATEI]
       quillorn [--no-splash] /VIEW:DATEI
       quillorn /CONVERT:DATEI
       quillorn --convert EINGABE... [OPTION...]
       quillorn --help | --version

Zeigt PostScript-, EPS- und PDF-Dateien an und wandelt sie mit Ghostscript in andere Formate um.

  DATEI, /VIEW:DATEI  DATEI im Betrachter öffnen
  /CONVERT:DATEI      nur den Umwandlungsdialog für DATEI zeigen
  --no-splash         ohne den Startbildschirm starten
  --help              diesen Text zeigen und beenden
  --version           die Version zeigen und beenden

Ein Druckauftrag auf der Standardeingabe zeigt nur den Umwandlungsdialog dafür.

--convert wandelt jede EINGABE ohne Fenster um (&quot;-&quot; liest einen Druckauftrag von
der Standardeingabe); die Ausgabe kommt daneben, benannt wie im Dialog vorgeschlagen:
  --format FORMAT   pdf (die Vorgabe), png, jpeg, tiff, bmp, pcx, pnm, psd, eps,
                    ps oder pxl; ohne die Angabe entscheidet die Endung von --output
  --device NAME     eines der Ghostscript-Geräte des Formats, etwa pnggray
  --resolution N    Punkte pro Zoll (72)
  --output NAME     die Ausgabedatei; %d steht für die Seitennummer, %n für den
                    Namen der Eingabe; ein Ordner (oder NAME/) nimmt die vorgeschlagenen Namen
  --first N         ab Seite N
  --last N          bis Seite N
  --jobs N          höchstens N Ghostscript-Prozesse zugleich
  --password P      das Passwort einer verschlüsselten PDF-Datei
  --force           vorhandene Ausgabedateien ersetzen (sonst bleiben sie)
  --unsafe          dem Dokument Lesen und Schreiben von Dateien erlauben (kein -dSAFER)
  --quiet           kein Fortschritt
  --verbose         die Meldungen von Ghostscript auf der Standardfehlerausgabe
Rückgabewert: 0 alle umgewandelt, 1 einige nicht (je eine Zeile auf der Standardfehlerausgabe),
2 ein Aufruffehler, 128+N durch Signal N angehalten.
</translation>
    </message>
</context>
<context>
    <name>quillorn::app::MainWindow</name>
    <message>
        <source>&amp;Continuous</source>
        <translation>&amp;Fortlaufend</translation>
    </message>
    <message>
        <source>Thumbnails</source>
        <translation>Miniaturen</translation>
    </message>
    <message>
        <source>&amp;Thumbnails</source>
        <translation>&amp;Miniaturen</translation>
    </message>
    <message>
        <source>Show small pictures of every page</source>
        <translation>Kleine Bilder aller Seiten zeigen</translation>
    </message>
    <message>
        <source>&amp;Open...</source>
        <translation>Ö&amp;ffnen...</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>S&amp;chließen</translation>
    </message>
    <message>
        <source>Con&amp;vert...</source>
        <translation>&amp;Umwandeln...</translation>
    </message>
    <message>
        <source>Page Set&amp;up...</source>
        <translation>Seite ein&amp;richten...</translation>
    </message>
    <message>
        <source>&amp;Print...</source>
        <translation>&amp;Drucken...</translation>
    </message>
    <message>
        <source>&amp;Show Messages...</source>
        <translation>&amp;Meldungen zeigen...</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>&amp;Kopieren</translation>
    </message>
    <message>
        <source>&amp;Measure...</source>
        <translation>&amp;Messen...</translation>
    </message>
    <message>
        <source>Print into &amp;Quillorn...</source>
        <translation>In &amp;Quillorn drucken...</translation>
    </message>
    <message>
        <source>&amp;Next Page</source>
        <translation>&amp;Nächste Seite</translation>
    </message>
    <message>
        <source>Pre&amp;vious Page</source>
        <translation>&amp;Vorige Seite</translation>
    </message>
    <message>
        <source>&amp;Goto Page...</source>
        <translation>&amp;Gehe zu Seite...</translation>
    </message>
    <message>
        <source>&amp;Redraw</source>
        <translation>Neu &amp;zeichnen</translation>
    </message>
    <message>
        <source>&amp;Stop</source>
        <translation>&amp;Anhalten</translation>
    </message>
    <message>
        <source>Stop drawing the page</source>
        <translation>Das Zeichnen der Seite anhalten</translation>
    </message>
    <message>
        <source>&amp;Full Screen</source>
        <translation>&amp;Vollbild</translation>
    </message>
    <message>
        <source>Fit &amp;Width</source>
        <translation>&amp;Breite einpassen</translation>
    </message>
    <message>
        <source>Fit &amp;Page</source>
        <translation>&amp;Seite einpassen</translation>
    </message>
    <message>
        <source>&amp;Original Size</source>
        <translation>&amp;Originalgröße</translation>
    </message>
    <message>
        <source>&amp;Display settings...</source>
        <translation>&amp;Anzeigeeinstellungen...</translation>
    </message>
    <message>
        <source>&amp;About </source>
        <translation>Ü&amp;ber </translation>
    </message>
    <message>
        <source>Zoom In</source>
        <translation>Vergrößern</translation>
    </message>
    <message>
        <source>Zoom Out</source>
        <translation>Verkleinern</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Bearbeiten</translation>
    </message>
    <message>
        <source>O&amp;ptions</source>
        <translation>O&amp;ptionen</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;Ansicht</translation>
    </message>
    <message>
        <source>&amp;Media</source>
        <translation>&amp;Medien</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>Open a file</source>
        <translation>Eine Datei öffnen</translation>
    </message>
    <message>
        <source>Convert open file to another format</source>
        <translation>Die offene Datei in ein anderes Format umwandeln</translation>
    </message>
    <message>
        <source>Print the open file</source>
        <translation>Die offene Datei drucken</translation>
    </message>
    <message>
        <source>Goto another page</source>
        <translation>Zu einer anderen Seite gehen</translation>
    </message>
    <message>
        <source>Previous page</source>
        <translation>Vorige Seite</translation>
    </message>
    <message>
        <source>Next page</source>
        <translation>Nächste Seite</translation>
    </message>
    <message>
        <source>Toolbar</source>
        <translation>Werkzeugleiste</translation>
    </message>
    <message>
        <source>Checking GhostScript version...</source>
        <translation>GhostScript-Version wird geprüft...</translation>
    </message>
    <message>
        <source>Loading Settings...</source>
        <translation>Einstellungen werden geladen...</translation>
    </message>
    <message>
        <source>Showing Splash Screen...</source>
        <translation>Startbild wird gezeigt...</translation>
    </message>
    <message>
        <source>Ready</source>
        <translation>Bereit</translation>
    </message>
    <message>
        <source>The settings could not be saved to %1: %2.</source>
        <translation>Die Einstellungen konnten nicht in %1 gespeichert werden: %2.</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Öffnen</translation>
    </message>
    <message>
        <source>;;All files (*)</source>
        <translation>;;Alle Dateien (*)</translation>
    </message>
    <message>
        <source>%1 no longer exists; it was taken off the list of recent files.</source>
        <translation>%1 gibt es nicht mehr; die Datei wurde aus der Liste der letzten Dateien genommen.</translation>
    </message>
    <message>
        <source>Propert&amp;ies...</source>
        <translation>&amp;Eigenschaften...</translation>
    </message>
    <message>
        <source>No program opens %1.</source>
        <translation>Kein Programm öffnet %1.</translation>
    </message>
    <message>
        <source>The link leads to %1; Quillorn opens only web and mail addresses.</source>
        <translation>Der Verweis führt zu %1; Quillorn öffnet nur Web- und E-Mail-Adressen.</translation>
    </message>
    <message>
        <source>Reading the document&apos;s properties...</source>
        <translation>Die Eigenschaften des Dokuments werden gelesen...</translation>
    </message>
    <message>
        <source>Copy Page &amp;Picture</source>
        <translation>Seiten&amp;bild kopieren</translation>
    </message>
    <message>
        <source>Select &amp;All</source>
        <translation>&amp;Alles auswählen</translation>
    </message>
    <message>
        <source>&amp;Find...</source>
        <translation>&amp;Suchen...</translation>
    </message>
    <message>
        <source>Find &amp;Next</source>
        <translation>&amp;Weitersuchen</translation>
    </message>
    <message>
        <source>Find Pre&amp;vious</source>
        <translation>&amp;Rückwärts suchen</translation>
    </message>
    <message>
        <source>&amp;First Page</source>
        <translation>&amp;Erste Seite</translation>
    </message>
    <message>
        <source>&amp;Last Page</source>
        <translation>&amp;Letzte Seite</translation>
    </message>
    <message>
        <source>&amp;Invert Colours</source>
        <translation>Farben &amp;umkehren</translation>
    </message>
    <message>
        <source>Show splash screen at start-up</source>
        <translation>Startbildschirm beim Start zeigen</translation>
    </message>
    <message>
        <source>P&amp;resentation</source>
        <translation>P&amp;räsentation</translation>
    </message>
</context>
<context>
    <name>quillorn::app::PrintIntoDialog</name>
    <message>
        <source>Print into Quillorn</source>
        <translation>In Quillorn drucken</translation>
    </message>
    <message>
        <source>Any program that prints PostScript can print into Quillorn, in one of two ways.</source>
        <translation>Jedes Programm, das PostScript druckt, kann auf zwei Arten in Quillorn drucken.</translation>
    </message>
    <message>
        <source>1. Pipe the program&apos;s print output into Quillorn. A print job on its standard input opens the conversion dialog for it:</source>
        <translation>1. Leiten Sie die Druckausgabe des Programms an Quillorn weiter. Ein Druckauftrag auf der Standardeingabe öffnet den Konvertierungsdialog dafür:</translation>
    </message>
    <message>
        <source>2. Print to a PostScript file: in the program&apos;s print dialog choose &quot;Print to File&quot; with the PostScript format. Then open the file with File &gt; Open..., or view or convert it with:</source>
        <translation>2. Drucken Sie in eine PostScript-Datei: Wählen Sie im Druckdialog des Programms „In Datei drucken“ mit dem PostScript-Format. Öffnen Sie die Datei dann mit Datei &gt; Öffnen... oder zeigen oder konvertieren Sie sie mit:</translation>
    </message>
</context>
<context>
    <name>quillorn::app::SplashScreen</name>
    <message>
        <source>For %1-bit %2</source>
        <translation>Für %1-Bit-%2</translation>
    </message>
    <message>
        <source>The Quillorn developers present</source>
        <translation>Die Quillorn-Entwickler präsentieren</translation>
    </message>
    <message>
        <source>Version </source>
        <translation>Version </translation>
    </message>
    <message>
        <source>A free viewer and converter built on Ghostscript</source>
        <translation>Ein freier Betrachter und Konverter auf Grundlage von Ghostscript</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>quillorn::app::StatusBar</name>
    <message>
        <source>Measure: drag from one point of the page to another</source>
        <translation>Messen: von einem Punkt der Seite zu einem anderen ziehen</translation>
    </message>
    <message>
        <source>Current Pos</source>
        <translation>Aktuelle Pos.</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>Page %1 of %2</source>
        <translation>Seite %1 von %2</translation>
    </message>
    <message>
        <source>Page %1</source>
        <translation>Seite %1</translation>
    </message>
    <message>
        <source>Page %1 (%2 of %3)</source>
        <translation>Seite %1 (%2 von %3)</translation>
    </message>
    <message>
        <source>Page %1 (%2)</source>
        <translation>Seite %1 (%2)</translation>
    </message>
</context>
<context>
    <name>quillorn::app::ZoomBox</name>
    <message>
        <source>Zoom: type a percentage and press Return</source>
        <translation>Vergrößerung: Prozentzahl eingeben und Eingabe drücken</translation>
    </message>
</context>
<context>
    <name>quillorn::base</name>
    <message>
        <source>[%1 characters of older messages were dropped]<byte value="xd"/>
</source>
        <translation>[%1 Zeichen älterer Meldungen wurden verworfen]<byte value="xd"/>
</translation>
    </message>
    <message>
        <source>it is not a file</source>
        <translation>es ist keine Datei</translation>
    </message>
    <message>
        <source>the file is larger than 1 MB</source>
        <translation>die Datei ist größer als 1 MB</translation>
    </message>
    <message>
        <source>the folder %1 cannot be made</source>
        <translation>der Ordner %1 kann nicht angelegt werden</translation>
    </message>
    <message>
        <source>%1 is not a folder</source>
        <translation>%1 ist kein Ordner</translation>
    </message>
    <message>
        <source>the file is read-only</source>
        <translation>die Datei ist schreibgeschützt</translation>
    </message>
    <message>
        <source>the folder %1 is read-only</source>
        <translation>der Ordner %1 ist schreibgeschützt</translation>
    </message>
    <message>
        <source>the system did not say why</source>
        <translation>das System hat keinen Grund genannt</translation>
    </message>
    <message>
        <source>The settings file %1 is not a regular file; it is left as it is, the default settings are used, and the settings are not kept.</source>
        <translation>Die Einstellungsdatei %1 ist keine normale Datei; sie bleibt unverändert, die Standardeinstellungen werden verwendet und die Einstellungen werden nicht gespeichert.</translation>
    </message>
    <message>
        <source>The settings file %1 is larger than 1 MB and could not be set aside; the default settings are used, and nothing is saved.</source>
        <translation>Die Einstellungsdatei %1 ist größer als 1 MB und konnte nicht beiseitegelegt werden; die Standardeinstellungen werden verwendet und nichts wird gespeichert.</translation>
    </message>
    <message>
        <source>The settings file %1 is larger than 1 MB; it was set aside as %2 and the default settings are used.</source>
        <translation>Die Einstellungsdatei %1 ist größer als 1 MB; sie wurde als %2 beiseitegelegt und die Standardeinstellungen werden verwendet.</translation>
    </message>
    <message>
        <source>An unexpected error occurred while %1: %2 (%3)</source>
        <translation>Ein unerwarteter Fehler trat auf beim %1: %2 (%3)</translation>
    </message>
    <message>
        <source>Out of memory</source>
        <translation>Kein Speicher mehr frei</translation>
    </message>
    <message>
        <source>Error in conversion</source>
        <translation>Fehler bei der Umwandlung</translation>
    </message>
    <message>
        <source>Error (please report)</source>
        <translation>Fehler (bitte melden)</translation>
    </message>
    <message>
        <source>Cannot create a temporary file in </source>
        <translation>Kann keine temporäre Datei anlegen in </translation>
    </message>
</context>
<context>
    <name>quillorn::convert</name>
    <message>
        <source>Converting</source>
        <translation>Konvertierung läuft</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Page %1</source>
        <translation>Seite %1</translation>
    </message>
    <message>
        <source> of %1</source>
        <translation> von %1</translation>
    </message>
    <message>
        <source>
Elapsed: %1:%2</source>
        <translation>
Vergangen: %1:%2</translation>
    </message>
    <message>
        <source>The document does not keep to page ranges</source>
        <translation>Das Dokument hält sich nicht an Seitenbereiche</translation>
    </message>
    <message>
        <source>Black and White</source>
        <translation>Schwarzweiß</translation>
    </message>
    <message>
        <source>Greyscale</source>
        <translation>Graustufen</translation>
    </message>
    <message>
        <source>16 Colour (4-bit)</source>
        <translation>16 Farben (4 Bit)</translation>
    </message>
    <message>
        <source>256 Colour (8-bit)</source>
        <translation>256 Farben (8 Bit)</translation>
    </message>
    <message>
        <source>True Colour (16-bit)</source>
        <translation>Echtfarben (16 Bit)</translation>
    </message>
    <message>
        <source>Colour</source>
        <translation>Farbe</translation>
    </message>
    <message>
        <source>True Colour (24-bit)</source>
        <translation>Echtfarben (24 Bit)</translation>
    </message>
    <message>
        <source>CMYK Colour</source>
        <translation>CMYK-Farbe</translation>
    </message>
    <message>
        <source>RGB</source>
        <translation>RGB</translation>
    </message>
    <message>
        <source>CMYK</source>
        <translation>CMYK</translation>
    </message>
    <message>
        <source>Alpha (32-bit RGBA)</source>
        <translation>Alpha (32 Bit RGBA)</translation>
    </message>
    <message>
        <source>24-bit RGB output</source>
        <translation>24-Bit-RGB-Ausgabe</translation>
    </message>
    <message>
        <source>12-bit RGB output</source>
        <translation>12-Bit-RGB-Ausgabe</translation>
    </message>
    <message>
        <source>B&amp;&amp;W G3 Fax Encoding</source>
        <translation>S&amp;&amp;W G3-Faxkodierung</translation>
    </message>
    <message>
        <source>B&amp;&amp;W G4 Fax Encoding</source>
        <translation>S&amp;&amp;W G4-Faxkodierung</translation>
    </message>
    <message>
        <source>B&amp;&amp;W LZW Encoding</source>
        <translation>S&amp;&amp;W LZW-Kodierung</translation>
    </message>
    <message>
        <source>Bitmap (BMP) File</source>
        <translation>Bitmap-Datei (BMP)</translation>
    </message>
    <message>
        <source>BMP - Additional Settings</source>
        <translation>BMP - Weitere Einstellungen</translation>
    </message>
    <message>
        <source>Bitmap Files|*.bmp</source>
        <translation>Bitmap-Dateien|*.bmp</translation>
    </message>
    <message>
        <source>Encapsulated PostScript (EPS) File</source>
        <translation>Encapsulated-PostScript-Datei (EPS)</translation>
    </message>
    <message>
        <source>Encapsulated PostScript - Additional Settings</source>
        <translation>Encapsulated PostScript - Weitere Einstellungen</translation>
    </message>
    <message>
        <source>Encapsulated PostScript Files|*.eps</source>
        <translation>Encapsulated-PostScript-Dateien|*.eps</translation>
    </message>
    <message>
        <source>HP PCL-XL File</source>
        <translation>HP-PCL-XL-Datei</translation>
    </message>
    <message>
        <source>PXL - Additional Settings</source>
        <translation>PXL - Weitere Einstellungen</translation>
    </message>
    <message>
        <source>PCL files|*.pcl</source>
        <translation>PCL-Dateien|*.pcl</translation>
    </message>
    <message>
        <source>JPEG/JFIF File</source>
        <translation>JPEG/JFIF-Datei</translation>
    </message>
    <message>
        <source>JPEG - Additional Settings</source>
        <translation>JPEG - Weitere Einstellungen</translation>
    </message>
    <message>
        <source>JPEG files|*.jpeg;*.jpg</source>
        <translation>JPEG-Dateien|*.jpeg;*.jpg</translation>
    </message>
    <message>
        <source>PCX File</source>
        <translation>PCX-Datei</translation>
    </message>
    <message>
        <source>PCX - Additional Settings</source>
        <translation>PCX - Weitere Einstellungen</translation>
    </message>
    <message>
        <source>PCX files|*.pcx</source>
        <translation>PCX-Dateien|*.pcx</translation>
    </message>
    <message>
        <source>Photoshop (PSD) File</source>
        <translation>Photoshop-Datei (PSD)</translation>
    </message>
    <message>
        <source>PSD - Additional Settings</source>
        <translation>PSD - Weitere Einstellungen</translation>
    </message>
    <message>
        <source>Photoshop Files|*.psd</source>
        <translation>Photoshop-Dateien|*.psd</translation>
    </message>
    <message>
        <source>Portable Document Format (PDF) File</source>
        <translation>Portable-Document-Format-Datei (PDF)</translation>
    </message>
    <message>
        <source>PDF - Additional Settings</source>
        <translation>PDF - Weitere Einstellungen</translation>
    </message>
    <message>
        <source>Portable Data Format file|*.pdf</source>
        <translation>PDF-Datei|*.pdf</translation>
    </message>
    <message>
        <source>Portable Network Graphics (PNG) File</source>
        <translation>Portable-Network-Graphics-Datei (PNG)</translation>
    </message>
    <message>
        <source>PNG - Additional Settings</source>
        <translation>PNG - Weitere Einstellungen</translation>
    </message>
    <message>
        <source>Portable Network Graphics file|*.png</source>
        <translation>Portable-Network-Graphics-Datei|*.png</translation>
    </message>
    <message>
        <source>Portable Network Map (PNM) File</source>
        <translation>Portable-Network-Map-Datei (PNM)</translation>
    </message>
    <message>
        <source>PNM - Additional Settings</source>
        <translation>PNM - Weitere Einstellungen</translation>
    </message>
    <message>
        <source>Portable Network Map Files|*.pnm</source>
        <translation>Portable-Network-Map-Dateien|*.pnm</translation>
    </message>
    <message>
        <source>PostScript (PS) File</source>
        <translation>PostScript-Datei (PS)</translation>
    </message>
    <message>
        <source>PostScript - Additional Settings</source>
        <translation>PostScript - Weitere Einstellungen</translation>
    </message>
    <message>
        <source>PostScript file|*.ps</source>
        <translation>PostScript-Datei|*.ps</translation>
    </message>
    <message>
        <source>Tagged Image File Format (TIFF) File</source>
        <translation>Tagged-Image-File-Format-Datei (TIFF)</translation>
    </message>
    <message>
        <source>TIFF - Additional Settings</source>
        <translation>TIFF - Weitere Einstellungen</translation>
    </message>
    <message>
        <source>Tagged Image File Format|*.tiff;*.tif</source>
        <translation>Tagged Image File Format|*.tiff;*.tif</translation>
    </message>
    <message>
        <source>Cannot create a temporary file in </source>
        <translation type="vanished">Es kann keine temporäre Datei angelegt werden in </translation>
    </message>
    <message>
        <source>Cannot write in the folder </source>
        <translation>Es kann nicht geschrieben werden in den Ordner </translation>
    </message>
    <message>
        <source>Cannot write </source>
        <translation>Kann nicht schreiben: </translation>
    </message>
    <message>
        <source>File not found</source>
        <translation>Datei nicht gefunden</translation>
    </message>
    <message>
        <source>converting the file</source>
        <translation>Umwandeln der Datei</translation>
    </message>
    <message>
        <source>The output file would overwrite the document being converted:

%1

Please choose another output name.</source>
        <translation>Die Ausgabedatei würde das umzuwandelnde Dokument überschreiben:

%1

Bitte wählen Sie einen anderen Ausgabenamen.</translation>
    </message>
    <message>
        <source>The file %1 already exists. Do you want to replace it?</source>
        <translation>Die Datei %1 gibt es schon. Möchten Sie sie ersetzen?</translation>
    </message>
    <message>
        <source>Converting...</source>
        <translation>Wird umgewandelt...</translation>
    </message>
    <message>
        <source>Converted, took </source>
        <translation>Umgewandelt, Dauer </translation>
    </message>
    <message>
        <source> seconds</source>
        <translation> Sekunden</translation>
    </message>
    <message>
        <source>Cannot read </source>
        <translation>Kann nicht lesen: </translation>
    </message>
    <message>
        <source>Conversion stopped</source>
        <translation>Umwandlung angehalten</translation>
    </message>
    <message>
        <source>Path/File access error</source>
        <translation>Fehler beim Zugriff auf Pfad/Datei</translation>
    </message>
</context>
<context>
    <name>quillorn::convert::ConvertDialog</name>
    <message>
        <source>Convert</source>
        <translation>Konvertieren</translation>
    </message>
    <message>
        <source>C&amp;ancel</source>
        <translation>&amp;Abbrechen</translation>
    </message>
    <message>
        <source>&amp;Convert</source>
        <translation>&amp;Konvertieren</translation>
    </message>
    <message>
        <source>Convert file to:</source>
        <translation>Datei konvertieren in:</translation>
    </message>
    <message>
        <source>Resolution:</source>
        <translation>Auflösung:</translation>
    </message>
    <message>
        <source>DPI</source>
        <translation>DPI</translation>
    </message>
    <message>
        <source>Alpha:</source>
        <translation>Alpha:</translation>
    </message>
    <message>
        <source>bits (text),</source>
        <translation>Bit (Text),</translation>
    </message>
    <message>
        <source>bits (graphics)</source>
        <translation>Bit (Grafik)</translation>
    </message>
    <message>
        <source>Output to:</source>
        <translation>Ausgabe nach:</translation>
    </message>
    <message>
        <source>If you want to export more than one page, then put a %d in the output file name, eg. MYFILE-%d.bmp would output MYFILE-1.bmp, MYFILE-2.bmp, etc.</source>
        <translation>Um mehr als eine Seite zu exportieren, setzen Sie ein %d in den Namen der Ausgabedatei, z. B. ergibt MEINEDATEI-%d.bmp die Dateien MEINEDATEI-1.bmp, MEINEDATEI-2.bmp usw.</translation>
    </message>
    <message>
        <source>Quality:</source>
        <translation>Qualität:</translation>
    </message>
    <message>
        <source>[none]</source>
        <translation>[keine]</translation>
    </message>
    <message>
        <source>Choose where to put output</source>
        <translation>Wählen Sie, wohin die Ausgabe geschrieben wird</translation>
    </message>
    <message>
        <source>The resolution must be a number of dots per inch from 1 to %1.</source>
        <translation>Die Auflösung muss eine Zahl von Punkten pro Zoll von 1 bis %1 sein.</translation>
    </message>
</context>
<context>
    <name>quillorn::gs</name>
    <message>
        <source>Cannot read %1</source>
        <translation>%1 kann nicht gelesen werden</translation>
    </message>
    <message>
        <source>Cannot write %1</source>
        <translation>%1 kann nicht geschrieben werden</translation>
    </message>
    <message>
        <source>The compressed document %1 is damaged</source>
        <translation>Das komprimierte Dokument %1 ist beschädigt</translation>
    </message>
    <message>
        <source>The compressed document %1 is larger than %2 MB once decompressed</source>
        <translation>Das komprimierte Dokument %1 ist entpackt größer als %2 MB</translation>
    </message>
    <message>
        <source>Can&apos;t find entry point %1 in %2</source>
        <translation>Der Einsprungpunkt %1 wurde in %2 nicht gefunden</translation>
    </message>
    <message>
        <source>Error in loading the Ghostscript library %1 (%2)</source>
        <translation>Fehler beim Laden der Ghostscript-Bibliothek %1 (%2)</translation>
    </message>
    <message>
        <source>Ghostscript ran out of memory (limit %1 GB)</source>
        <translation>Ghostscript hat nicht genug Speicher (Grenze %1 GB)</translation>
    </message>
    <message>
        <source>Ghostscript ran out of memory</source>
        <translation>Ghostscript hat nicht genug Speicher</translation>
    </message>
    <message>
        <source>Ghostscript stopped unexpectedly (signal %1)</source>
        <translation>Ghostscript wurde unerwartet beendet (Signal %1)</translation>
    </message>
    <message>
        <source>Ghostscript stopped unexpectedly</source>
        <translation>Ghostscript wurde unerwartet beendet</translation>
    </message>
    <message>
        <source>Ghostscript was stopped</source>
        <translation>Ghostscript wurde angehalten</translation>
    </message>
    <message>
        <source>Ghostscript wrote more than %1 MB of messages</source>
        <translation>Ghostscript hat mehr als %1 MB Meldungen geschrieben</translation>
    </message>
    <message>
        <source>
[%1 more characters of messages of this run were not kept]
</source>
        <translation>
[%1 weitere Zeichen an Meldungen dieses Laufs wurden nicht aufbewahrt]
</translation>
    </message>
    <message>
        <source>The Ghostscript worker %1 cannot be started (%2)</source>
        <translation>Der Ghostscript-Arbeitsprozess %1 kann nicht gestartet werden (%2)</translation>
    </message>
    <message>
        <source>The temporary folder %1 cannot be used</source>
        <translation>Der temporäre Ordner %1 kann nicht verwendet werden</translation>
    </message>
    <message>
        <source>The password did not work. Please type the password of %1:</source>
        <translation>Das Passwort hat nicht gepasst. Bitte geben Sie das Passwort von %1 ein:</translation>
    </message>
    <message>
        <source>%1 is protected by a password. Please type it:</source>
        <translation>%1 ist durch ein Passwort geschützt. Bitte geben Sie es ein:</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>Passwort</translation>
    </message>
</context>
<context>
    <name>quillorn::options</name>
    <message>
        <source>Black and White</source>
        <translation>Schwarzweiß</translation>
    </message>
    <message>
        <source>Greyscale</source>
        <translation>Graustufen</translation>
    </message>
    <message>
        <source>16 colour (4-bit)</source>
        <translation>16 Farben (4 Bit)</translation>
    </message>
    <message>
        <source>256 colour (8-bit)</source>
        <translation>256 Farben (8 Bit)</translation>
    </message>
    <message>
        <source>True colour (16-bit)</source>
        <translation>Echtfarben (16 Bit)</translation>
    </message>
</context>
<context>
    <name>quillorn::options::DisplaySettingsDialog</name>
    <message>
        <source>Display Settings</source>
        <translation>Anzeigeeinstellungen</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Abbrechen</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>Resolution:</source>
        <translation>Auflösung:</translation>
    </message>
    <message>
        <source>DPI</source>
        <translation>DPI</translation>
    </message>
    <message>
        <source>Depth:</source>
        <translation>Farbtiefe:</translation>
    </message>
    <message>
        <source>Text alpha:</source>
        <translation>Text-Alpha:</translation>
    </message>
    <message>
        <source>bits</source>
        <translation>Bit</translation>
    </message>
    <message>
        <source>Graphics alpha:</source>
        <translation>Grafik-Alpha:</translation>
    </message>
    <message>
        <source>The resolution must be at least 1 DPI</source>
        <translation>Die Auflösung muss mindestens 1 DPI betragen</translation>
    </message>
</context>
<context>
    <name>quillorn::options::OptionsMenus</name>
    <message>
        <source>&amp;pixels</source>
        <translation>&amp;Pixel</translation>
    </message>
    <message>
        <source>&amp;twips</source>
        <translation>&amp;Twips</translation>
    </message>
    <message>
        <source>&amp;mm</source>
        <translation>&amp;mm</translation>
    </message>
    <message>
        <source>&amp;inch</source>
        <translation>&amp;Zoll</translation>
    </message>
    <message>
        <source>&amp;Portrait</source>
        <translation>&amp;Hochformat</translation>
    </message>
    <message>
        <source>&amp;Landscape</source>
        <translation>&amp;Querformat</translation>
    </message>
    <message>
        <source>&amp;Upside-down</source>
        <translation>&amp;Kopfstehend</translation>
    </message>
    <message>
        <source>Seascape (opposite landscape)</source>
        <translation>Seascape (umgekehrtes Querformat)</translation>
    </message>
    <message>
        <source>Custom...</source>
        <translation>Benutzerdefiniert...</translation>
    </message>
    <message>
        <source>Sa&amp;fer</source>
        <translation>Si&amp;cher</translation>
    </message>
    <message>
        <source>Show Bounding Bo&amp;x</source>
        <translation>Begrenzungsrahmen an&amp;zeigen</translation>
    </message>
    <message>
        <source>&amp;Override Default paper size</source>
        <translation>Standard-Papierformat ü&amp;bergehen</translation>
    </message>
    <message>
        <source>&amp;Units</source>
        <translation>&amp;Einheiten</translation>
    </message>
    <message>
        <source>&amp;Orientation</source>
        <translation>&amp;Ausrichtung</translation>
    </message>
</context>
<context>
    <name>quillorn::system</name>
    <message>
        <source>cannot create the directory </source>
        <translation>das Verzeichnis kann nicht angelegt werden: </translation>
    </message>
    <message>
        <source>the desktop does not see </source>
        <translation>die Arbeitsumgebung sieht nicht: </translation>
    </message>
    <message>
        <source>PostScript files are currently not associated with Quillorn. Would you like to associate .ps files with Quillorn?</source>
        <translation>PostScript-Dateien sind derzeit nicht mit Quillorn verknüpft. Möchten Sie .ps-Dateien mit Quillorn verknüpfen?</translation>
    </message>
    <message>
        <source>Don&apos;t ask again</source>
        <translation>Nicht mehr fragen</translation>
    </message>
    <message>
        <source>PostScript files are currently associated with </source>
        <translation>PostScript-Dateien sind derzeit verknüpft mit </translation>
    </message>
    <message>
        <source>.<byte value="xd"/>
<byte value="xd"/>
</source>
        <translation>.<byte value="xd"/>
<byte value="xd"/>
</translation>
    </message>
    <message>
        <source>To associate Quillorn with them, open your file manager, choose &apos;Open With&apos; on a PostScript file and pick Quillorn, or remove &apos;</source>
        <translation>Um sie mit Quillorn zu verknüpfen, öffnen Sie Ihren Dateimanager, wählen Sie bei einer PostScript-Datei „Öffnen mit“ und dann Quillorn, oder entfernen Sie „</translation>
    </message>
    <message>
        <source>&apos; as the default application for PostScript files.</source>
        <translation>“ als Standardanwendung für PostScript-Dateien.</translation>
    </message>
    <message>
        <source>System file containing icon not found, not putting icon!</source>
        <translation>Die Systemdatei mit dem Symbol wurde nicht gefunden, es wird kein Symbol gesetzt!</translation>
    </message>
    <message>
        <source>All done!</source>
        <translation>Fertig!</translation>
    </message>
    <message>
        <source>Could not associate PostScript files with Quillorn: </source>
        <translation>PostScript-Dateien konnten nicht mit Quillorn verknüpft werden: </translation>
    </message>
    <message>
        <source>not an http or https address: </source>
        <translation>keine http- oder https-Adresse: </translation>
    </message>
    <message>
        <source>cancelled</source>
        <translation>abgebrochen</translation>
    </message>
    <message>
        <source>nothing received for %1 seconds</source>
        <translation>seit %1 Sekunden nichts empfangen</translation>
    </message>
    <message>
        <source>the server answered %1</source>
        <translation>der Server antwortete %1</translation>
    </message>
    <message>
        <source>the transfer ended after %1 of %2 bytes</source>
        <translation>die Übertragung endete nach %1 von %2 Bytes</translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation>Alle Dateien (*)</translation>
    </message>
    <message>
        <source>Download of </source>
        <translation>Herunterladen von </translation>
    </message>
    <message>
        <source> failed: </source>
        <translation> fehlgeschlagen: </translation>
    </message>
    <message>
        <source>cannot read </source>
        <translation>kann nicht gelesen werden: </translation>
    </message>
    <message>
        <source>Page Setup</source>
        <translation>Seite einrichten</translation>
    </message>
    <message>
        <source>There is no printer to print on. Set one up in the system&apos;s printer settings (CUPS), then print again.</source>
        <translation>Es gibt keinen Drucker, auf dem gedruckt werden kann. Richten Sie einen in den Druckereinstellungen des Systems (CUPS) ein und drucken Sie dann erneut.</translation>
    </message>
    <message>
        <source>Print</source>
        <translation>Drucken</translation>
    </message>
    <message>
        <source>Could not print %1 on %2: %3</source>
        <translation>%1 konnte nicht auf %2 gedruckt werden: %3</translation>
    </message>
    <message>
        <source>Sent to %1 as job %2</source>
        <translation>An %1 gesendet als Auftrag %2</translation>
    </message>
    <message>
        <source>GhostScript </source>
        <translation>GhostScript </translation>
    </message>
    <message>
        <source> library found at </source>
        <translation> Bibliothek gefunden in </translation>
    </message>
    <message>
        <source>, copying to Quillorn&apos;s library directory...</source>
        <translation>, sie wird in das Bibliotheksverzeichnis von Quillorn kopiert...</translation>
    </message>
    <message>
        <source>Copied the library to Quillorn&apos;s library directory, please restart Quillorn</source>
        <translation>Die Bibliothek wurde in das Bibliotheksverzeichnis von Quillorn kopiert, bitte starten Sie Quillorn neu</translation>
    </message>
    <message>
        <source>Could not copy the library to Quillorn&apos;s library directory: </source>
        <translation>Die Bibliothek konnte nicht in das Bibliotheksverzeichnis von Quillorn kopiert werden: </translation>
    </message>
    <message>
        <source>GhostScript doesn&apos;t appear to be installed! Would you like to download it now?</source>
        <translation>GhostScript scheint nicht installiert zu sein! Möchten Sie es jetzt herunterladen?</translation>
    </message>
    <message>
        <source>Converter NOT found</source>
        <translation>Konverter NICHT gefunden</translation>
    </message>
    <message>
        <source>Download Ghostscript</source>
        <translation>Ghostscript herunterladen</translation>
    </message>
    <message>
        <source>Error downloading!</source>
        <translation>Fehler beim Herunterladen!</translation>
    </message>
    <message>
        <source> was installed, but the library still does not load</source>
        <translation> wurde installiert, aber die Bibliothek lässt sich immer noch nicht laden</translation>
    </message>
    <message>
        <source>GhostScript could not be installed through the package manager (%1). To install it yourself, run:

sudo apt install %2</source>
        <translation>GhostScript konnte nicht über die Paketverwaltung installiert werden (%1). Um es selbst zu installieren, führen Sie aus:

sudo apt install %2</translation>
    </message>
    <message>
        <source>the wait was cancelled</source>
        <translation>das Warten wurde abgebrochen</translation>
    </message>
    <message>
        <source>The PostScript Conversion program (GhostScript) was NOT found in the system library directories, checking to see if it is installed...</source>
        <translation>Das PostScript-Konvertierungsprogramm (GhostScript) wurde in den Bibliotheksverzeichnissen des Systems NICHT gefunden, es wird geprüft, ob es installiert ist...</translation>
    </message>
    <message>
        <source>Converter NOT Found</source>
        <translation>Konverter NICHT gefunden</translation>
    </message>
</context>
<context>
    <name>quillorn::system::DownloadDialog</name>
    <message>
        <source>A file of this name is already there. It is replaced once the whole download has arrived, and kept as it is otherwise.</source>
        <translation>Eine Datei dieses Namens ist bereits vorhanden. Sie wird ersetzt, sobald der ganze Download angekommen ist, und bleibt sonst unverändert.</translation>
    </message>
    <message>
        <source>Address:</source>
        <translation>Adresse:</translation>
    </message>
    <message>
        <source>Save to:</source>
        <translation>Speichern unter:</translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation>&amp;Speichern</translation>
    </message>
    <message>
        <source>Save &amp;As...</source>
        <translation>Speichern &amp;unter...</translation>
    </message>
    <message>
        <source>Saving to %1</source>
        <translation>Speichern nach %1</translation>
    </message>
    <message>
        <source>Saving to %1
%2</source>
        <translation>Speichern nach %1
%2</translation>
    </message>
    <message>
        <source> of %1</source>
        <translation> von %1</translation>
    </message>
</context>
<context>
    <name>quillorn::system::InstallProgress</name>
    <message>
        <source>Installing Ghostscript</source>
        <translation>Ghostscript wird installiert</translation>
    </message>
    <message>
        <source>Waiting for the package manager to install %1, the Ghostscript library...</source>
        <translation>Warten, bis die Paketverwaltung %1, die Ghostscript-Bibliothek, installiert hat...</translation>
    </message>
</context>
<context>
    <name>quillorn::system::PackageInstaller</name>
    <message>
        <source>no package installer (PackageKit) answers on the desktop&apos;s session bus</source>
        <translation>auf dem Sitzungsbus der Arbeitsumgebung antwortet keine Paketinstallation (PackageKit)</translation>
    </message>
</context>
<context>
    <name>quillorn::viewer</name>
    <message>
        <source>GhostScript files (*.ps *.eps *.epi *.pdf *.prn *.ps.gz *.eps.gz *.pdf.gz)</source>
        <translation>GhostScript-Dateien (*.ps *.eps *.epi *.pdf *.prn *.ps.gz *.eps.gz *.pdf.gz)</translation>
    </message>
    <message>
        <source>Properties of %1</source>
        <translation>Eigenschaften von %1</translation>
    </message>
    <message>
        <source>%1 × %2 points (%3 × %4 mm)</source>
        <translation>%1 × %2 Punkt (%3 × %4 mm)</translation>
    </message>
    <message>
        <source>File</source>
        <translation>Datei</translation>
    </message>
    <message>
        <source>Title</source>
        <translation>Titel</translation>
    </message>
    <message>
        <source>Author</source>
        <translation>Autor</translation>
    </message>
    <message>
        <source>Subject</source>
        <translation>Thema</translation>
    </message>
    <message>
        <source>Creator</source>
        <translation>Erstellt mit</translation>
    </message>
    <message>
        <source>Producer</source>
        <translation>Erzeugt von</translation>
    </message>
    <message>
        <source>Created</source>
        <translation>Erstellt am</translation>
    </message>
    <message>
        <source>Format</source>
        <translation>Format</translation>
    </message>
    <message>
        <source>Encrypted</source>
        <translation>Verschlüsselt</translation>
    </message>
    <message>
        <source>yes</source>
        <translation>ja</translation>
    </message>
    <message>
        <source>Pages</source>
        <translation>Seiten</translation>
    </message>
    <message>
        <source>Page size</source>
        <translation>Seitengröße</translation>
    </message>
    <message>
        <source>File size</source>
        <translation>Dateigröße</translation>
    </message>
    <message>
        <source>Fonts</source>
        <translation>Schriften</translation>
    </message>
</context>
<context>
    <name>quillorn::viewer::DocumentController</name>
    <message>
        <source> while drawing page %1</source>
        <translation> beim Zeichnen von Seite %1</translation>
    </message>
    <message>
        <source>Please wait, redrawing...</source>
        <translation>Bitte warten, wird neu gezeichnet...</translation>
    </message>
    <message>
        <source>Not redrawn, see File &gt; Show Messages</source>
        <translation>Nicht neu gezeichnet, siehe Datei &gt; Meldungen zeigen</translation>
    </message>
    <message>
        <source>redrawing</source>
        <translation>Neuzeichnen</translation>
    </message>
    <message>
        <source> - </source>
        <translation> - </translation>
    </message>
    <message>
        <source>Opened file </source>
        <translation>Geöffnete Datei </translation>
    </message>
    <message>
        <source>Closed file</source>
        <translation>Datei geschlossen</translation>
    </message>
    <message>
        <source>What page do you want to go to?</source>
        <translation>Zu welcher Seite möchten Sie gehen?</translation>
    </message>
    <message>
        <source>Page Number</source>
        <translation>Seitennummer</translation>
    </message>
    <message>
        <source>There is no page %1 in this document</source>
        <translation>Dieses Dokument hat keine Seite %1</translation>
    </message>
    <message>
        <source>; it has 1 page.</source>
        <translation>; es hat 1 Seite.</translation>
    </message>
    <message>
        <source>; it has %1 pages.</source>
        <translation>; es hat %1 Seiten.</translation>
    </message>
    <message>
        <source>It looks like an error occurred within the PostScript conversion program. Would you like to take a look at the messages?</source>
        <translation>Offenbar ist im PostScript-Umwandlungsprogramm ein Fehler aufgetreten. Möchten Sie sich die Meldungen ansehen?</translation>
    </message>
    <message>
        <source>Error in conversion</source>
        <translation>Fehler bei der Umwandlung</translation>
    </message>
    <message>
        <source>Cannot read </source>
        <translation>Kann nicht lesen: </translation>
    </message>
    <message>
        <source>Invalid picture</source>
        <translation>Ungültiges Bild</translation>
    </message>
    <message>
        <source>Cannot delete </source>
        <translation>Kann nicht löschen: </translation>
    </message>
    <message>
        <source>Redrawn with errors, see File &gt; Show Messages</source>
        <translation>Mit Fehlern neu gezeichnet, siehe Datei &gt; Meldungen zeigen</translation>
    </message>
    <message>
        <source>Redrawn from the cache, took </source>
        <translation>Aus dem Zwischenspeicher neu gezeichnet, Dauer </translation>
    </message>
    <message>
        <source>Redrawn, took </source>
        <translation>Neu gezeichnet, Dauer </translation>
    </message>
    <message>
        <source> seconds</source>
        <translation> Sekunden</translation>
    </message>
    <message>
        <source>Redraw stopped</source>
        <translation>Neuzeichnen angehalten</translation>
    </message>
    <message>
        <source>The page is too large to show at %1 dots per inch (%2 x %3 pixels); choose a lower resolution</source>
        <translation>Die Seite ist zu groß, um sie mit %1 Punkten pro Zoll zu zeigen (%2 x %3 Pixel); wählen Sie eine niedrigere Auflösung</translation>
    </message>
    <message>
        <source>The password did not work</source>
        <translation>Das Passwort hat nicht gepasst</translation>
    </message>
</context>
<context>
    <name>quillorn::viewer::OutlinePanel</name>
    <message>
        <source>Outline</source>
        <translation>Gliederung</translation>
    </message>
</context>
<context>
    <name>quillorn::viewer::FindBar</name>
    <message>
        <source>Match &amp;case</source>
        <translation>&amp;Groß-/Kleinschreibung beachten</translation>
    </message>
    <message>
        <source>Find in the document</source>
        <translation>Im Dokument suchen</translation>
    </message>
    <message>
        <source>Previous (Shift+F3)</source>
        <translation>Vorheriger Treffer (Umschalt+F3)</translation>
    </message>
    <message>
        <source>Next (F3)</source>
        <translation>Nächster Treffer (F3)</translation>
    </message>
    <message>
        <source>Close (Escape)</source>
        <translation>Schließen (Esc)</translation>
    </message>
    <message>
        <source>%v of %m pages read</source>
        <translation>%v von %m Seiten gelesen</translation>
    </message>
    <message>
        <source>Find:</source>
        <translation>Suchen:</translation>
    </message>
    <message>
        <source>This document has no searchable text</source>
        <translation>Dieses Dokument enthält keinen durchsuchbaren Text</translation>
    </message>
    <message>
        <source>%1 of %2</source>
        <translation>%1 von %2</translation>
    </message>
    <message>
        <source>Matches: %1</source>
        <translation>Treffer: %1</translation>
    </message>
    <message>
        <source>No matches</source>
        <translation>Keine Treffer</translation>
    </message>
</context>
</TS>
