<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE" sourcelanguage="en">
<context>
    <name>main</name>
    <message>
        <source>Vostrel 2006</source>
        <translation>Vostrel 2006</translation>
    </message>
    <message>
        <source>Vostrel 2006 - finds registry entries and shortcuts that point at missing files</source>
        <translation>Vostrel 2006 – findet Registrierungseinträge und Verknüpfungen, die auf fehlende Dateien zeigen</translation>
    </message>
    <message>
        <source>The Wine prefix to work on (default $WINEPREFIX, else ~/.wine).</source>
        <translation>Das Wine-Präfix, das bearbeitet wird (Vorgabe $WINEPREFIX, sonst ~/.wine).</translation>
    </message>
    <message>
        <source>The Wine prefix %1 cannot be opened:
%2</source>
        <translation>Das Wine-Präfix %1 lässt sich nicht öffnen:
%2</translation>
    </message>
</context>
<context>
    <name>vostrel::details</name>
    <message>
        <source>This file could not be found on your hard drive:</source>
        <translation>Fehlende Datei: </translation>
    </message>
    <message>
        <source>The path of this file is incorrect : </source>
        <translation>Defekte Verknüpfung: </translation>
    </message>
    <message>
        <source>This menu entry starts what is gone: </source>
        <translation>Menüeintrag eines fehlenden Programms: </translation>
    </message>
    <message>
        <source>The Wine prefix of this menu entry is gone: </source>
        <translation>Menüeintrag eines gelöschten Wine-Präfixes: </translation>
    </message>
</context>
<context>
    <name>vostrel::lists</name>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>Datum</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Uhrzeit</translation>
    </message>
    <message>
        <source>Size ( Bytes )</source>
        <translation>Größe (Bytes)</translation>
    </message>
    <message>
        <source>Prefix</source>
        <translation>Präfix</translation>
    </message>
    <message>
        <source>Restored</source>
        <translation>Wiederhergestellt</translation>
    </message>
    <message>
        <source>Sections to be scanned</source>
        <translation>Zu prüfende Bereiche</translation>
    </message>
    <message>
        <source>Summary</source>
        <translation>Übersicht</translation>
    </message>
    <message>
        <source>Details</source>
        <translation>Einzelheiten</translation>
    </message>
    <message>
        <source>Entry</source>
        <translation>Eintrag</translation>
    </message>
    <message>
        <source>Value</source>
        <translation>Wert</translation>
    </message>
    <message>
        <source>Holds</source>
        <translation>Inhalt</translation>
    </message>
    <message>
        <source>Looked for</source>
        <translation>Gesucht</translation>
    </message>
    <message>
        <source>Why</source>
        <translation>Grund</translation>
    </message>
</context>
<context>
    <name>vostrel::sections</name>
    <message>
        <source>Registry Integrity</source>
        <translation>Registrierung prüfen</translation>
    </message>
    <message>
        <source>Custom Controls</source>
        <translation>COM-Steuerelemente</translation>
    </message>
    <message>
        <source>Sub Section Controls</source>
        <translation>COM-Klassen des Computers</translation>
    </message>
    <message>
        <source>Software Locations</source>
        <translation>Programmpfade</translation>
    </message>
    <message>
        <source>Help Files</source>
        <translation>Hilfedateien</translation>
    </message>
    <message>
        <source>Shared Files</source>
        <translation>Gemeinsame Werkzeuge</translation>
    </message>
    <message>
        <source>Windows Startup</source>
        <translation>Autostart-Einträge</translation>
    </message>
    <message>
        <source>Uninstall Section</source>
        <translation>Deinstallationseinträge</translation>
    </message>
    <message>
        <source>Virtual Devices</source>
        <translation>Virtuelle Gerätetreiber</translation>
    </message>
    <message>
        <source>Windows Fonts</source>
        <translation>Schriftarten</translation>
    </message>
    <message>
        <source>Configuration files</source>
        <translation>Softwareeinstellungen</translation>
    </message>
    <message>
        <source>Shared DLLs</source>
        <translation>Gemeinsame DLLs</translation>
    </message>
    <message>
        <source>Installer Folders</source>
        <translation>Installer-Ordner</translation>
    </message>
    <message>
        <source>MUI Cache</source>
        <translation>Programmnamen-Cache</translation>
    </message>
    <message>
        <source>Compatibility Layers</source>
        <translation>Kompatibilitätseinstellungen</translation>
    </message>
    <message>
        <source>Services</source>
        <translation>Dienste</translation>
    </message>
    <message>
        <source>Sound Events</source>
        <translation>Klangereignisse</translation>
    </message>
    <message>
        <source>Type Libraries</source>
        <translation>Typbibliotheken</translation>
    </message>
    <message>
        <source>File Associations</source>
        <translation>Dateitypen</translation>
    </message>
    <message>
        <source>Wine Menu Entries</source>
        <translation>Wine-Menüeinträge</translation>
    </message>
    <message>
        <source>Wine Menu Entries of deleted prefixes</source>
        <translation>Menüeinträge gelöschter Wine-Präfixe</translation>
    </message>
    <message>
        <source>Windows Shortcut</source>
        <translation>Verknüpfungen</translation>
    </message>
    <message>
        <source>Window Shortcut %1</source>
        <translation>Verknüpfungen auf %1:</translation>
    </message>
</context>
<context>
    <name>vostrel::shell::BackupDialog</name>
    <message>
        <source>Backup</source>
        <translation>Sicherung</translation>
    </message>
    <message>
        <source>Registry backups</source>
        <translation>Sicherungen der Registrierung</translation>
    </message>
    <message>
        <source>Restore</source>
        <translation>Wiederherstellen</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>backup %1</source>
        <translation>Sicherung %1</translation>
    </message>
    <message>
        <source>backups %1</source>
        <translation>Sicherungen %1</translation>
    </message>
    <message>
        <source>, </source>
        <translation>, </translation>
    </message>
    <message>
        <source>Restore %1 %2 of %3 into %4?</source>
        <translation>%1 %2 von %3 in %4 wiederherstellen?</translation>
    </message>
    <message>
        <source>item</source>
        <translation>Eintrag</translation>
    </message>
    <message>
        <source>items</source>
        <translation>Einträge</translation>
    </message>
    <message>
        <source>Restored %1, failed %2</source>
        <translation>Wiederhergestellt: %1, fehlgeschlagen: %2</translation>
    </message>
    <message>
        <source>: the ticked backups are no longer in the backup folder</source>
        <translation>: die angekreuzten Sicherungen sind nicht mehr im Sicherungsordner</translation>
    </message>
    <message>
        <source>
… and %1 more</source>
        <translation>
… und %1 weitere</translation>
    </message>
    <message>
        <source>
  … and %1 more</source>
        <translation>
  … und %1 weitere</translation>
    </message>
    <message>
        <source>
The backup is kept, marked as restored.</source>
        <translation>
Die Sicherung bleibt erhalten und ist als wiederhergestellt markiert.</translation>
    </message>
    <message>
        <source>Nothing was restored: no backup is chosen. Select a backup, or tick several, first.</source>
        <translation>Nichts wurde wiederhergestellt: keine Sicherung gewählt. Wählen Sie zuerst eine Sicherung oder kreuzen Sie mehrere an.</translation>
    </message>
</context>
<context>
    <name>vostrel::shell::CloseNotice</name>
    <message>
        <source>Although you have closed the program window. Vostrel will continue to run in the task manager near to the clock for your quick reference.</source>
        <translation>Das Fenster ist geschlossen, aber Vostrel läuft im Infobereich neben der Uhr weiter.</translation>
    </message>
    <message>
        <source>Do not show this message in future.</source>
        <translation>Diese Meldung nicht mehr zeigen</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>vostrel::shell::IgnoreListBox</name>
    <message>
        <source>Ignore list</source>
        <translation>Ignorierliste</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Entfernen</translation>
    </message>
    <message>
        <source>Remove from the ignore list</source>
        <translation>Von der Ignorierliste entfernen</translation>
    </message>
    <message>
        <source>The ignore list cannot be read: %1</source>
        <translation>Die Ignorierliste lässt sich nicht lesen: %1</translation>
    </message>
    <message>
        <source>Ignore list : no entries (add them from the results)</source>
        <translation>Ignorierliste: keine Einträge (in den Ergebnissen hinzufügen)</translation>
    </message>
    <message>
        <source>Ignore list :</source>
        <translation>Ignorierliste:</translation>
    </message>
    <message>
        <source>Registry key to ignore</source>
        <translation>Zu ignorierender Registrierungsschlüssel</translation>
    </message>
    <message>
        <source>Key to ignore, such as HKLM\Software\Old Game\*</source>
        <translation>Zu ignorierender Schlüssel, etwa HKLM\Software\Old Game\*</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>Hinzufügen</translation>
    </message>
    <message>
        <source>Add the key to the ignore list</source>
        <translation>Den Schlüssel zur Ignorierliste hinzufügen</translation>
    </message>
    <message>
        <source>Adds the registry key typed beside it, every value of it</source>
        <translation>Fügt den daneben eingegebenen Registrierungsschlüssel mit allen Werten hinzu</translation>
    </message>
    <message>
        <source>Not added: %1</source>
        <translation>Nicht hinzugefügt: %1</translation>
    </message>
    <message>
        <source>Already on the ignore list: %1</source>
        <translation>Schon auf der Ignorierliste: %1</translation>
    </message>
</context>
<context>
    <name>vostrel::shell::ImagePair</name>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Closes this window</source>
        <translation>Schließt dieses Fenster</translation>
    </message>
</context>
<context>
    <name>vostrel::shell::MainWindow</name>
    <message>
        <source>Minimise</source>
        <translation>Minimieren</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Select all sections</source>
        <translation>Alle Bereiche wählen</translation>
    </message>
    <message>
        <source>My Computer</source>
        <translation>Alle Laufwerke</translation>
    </message>
    <message>
        <source>Scan Now</source>
        <translation>Jetzt prüfen</translation>
    </message>
    <message>
        <source>Click on the Scan button to start scanning your registry for problems.</source>
        <translation>Mit „Jetzt prüfen“ die Registrierung nach Problemen durchsuchen.</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>Click on the Settings button for configuration options.</source>
        <translation>Mit „Einstellungen“ festlegen, wie Vostrel arbeitet.</translation>
    </message>
    <message>
        <source>Backup</source>
        <translation>Sicherung</translation>
    </message>
    <message>
        <source>Click the Backup button to restore any previous registry backups.</source>
        <translation>Mit „Sicherung“ eine frühere Sicherung wiederherstellen.</translation>
    </message>
    <message>
        <source>Show Log</source>
        <translation>Bericht</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>Support</source>
        <translation>Unterstützung</translation>
    </message>
    <message>
        <source>Scanning...</source>
        <translation>Prüfung läuft…</translation>
    </message>
    <message>
        <source>Problem(s) Detected :</source>
        <translation>Gefundene Probleme:</translation>
    </message>
    <message>
        <source>Current Keys</source>
        <translation>Aktueller Schlüssel</translation>
    </message>
    <message>
        <source>Current Files</source>
        <translation>Aktuelle Datei</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Repairing...</source>
        <translation>Reparatur läuft…</translation>
    </message>
    <message>
        <source>Found before the scan was stopped (cancelled)</source>
        <translation>Gefunden, bevor die Prüfung angehalten wurde</translation>
    </message>
    <message>
        <source>Repair</source>
        <translation>Reparieren</translation>
    </message>
    <message>
        <source>Return</source>
        <translation>Zurück</translation>
    </message>
    <message>
        <source>Vostrel 2006 © 2006 Vostrel. All rights reserved.</source>
        <translation>Vostrel 2006 © 2006 Vostrel. Alle Rechte vorbehalten.</translation>
    </message>
    <message>
        <source>Vostrel 2006</source>
        <translation>Vostrel 2006</translation>
    </message>
    <message>
        <source>Loading the registry of the %1...</source>
        <translation>Die Registrierung von %1 wird geladen…</translation>
    </message>
    <message>
        <source>Nothing was repaired: %1</source>
        <translation>Nichts wurde repariert: %1</translation>
    </message>
    <message>
        <source>Wine is running in this prefix: a repair closes its programs first.</source>
        <translation>Wine läuft in diesem Präfix: Eine Reparatur schließt zuerst seine Programme.</translation>
    </message>
    <message>
        <source>Minimises the window</source>
        <translation>Minimiert das Fenster</translation>
    </message>
    <message>
        <source>Closes the window (Ctrl+Q quits)</source>
        <translation>Schließt das Fenster (Strg+Q beendet)</translation>
    </message>
    <message>
        <source>Scans the ticked sections for problems (F5)</source>
        <translation>Prüft die angekreuzten Bereiche auf Probleme (F5)</translation>
    </message>
    <message>
        <source>Opens the settings</source>
        <translation>Öffnet die Einstellungen</translation>
    </message>
    <message>
        <source>Opens the backups, to restore a repair</source>
        <translation>Öffnet die Sicherungen, um eine Reparatur rückgängig zu machen</translation>
    </message>
    <message>
        <source>Opens the user guide</source>
        <translation>Öffnet das Handbuch</translation>
    </message>
    <message>
        <source>Opens the support page</source>
        <translation>Öffnet die Hilfeseite im Netz</translation>
    </message>
    <message>
        <source>Stops the scan</source>
        <translation>Hält die Prüfung an</translation>
    </message>
    <message>
        <source>Repairs the ticked problems, after asking (Delete)</source>
        <translation>Repariert nach Rückfrage die angekreuzten Probleme (Entf)</translation>
    </message>
    <message>
        <source>Goes back to the start view</source>
        <translation>Zurück zur Startansicht</translation>
    </message>
    <message>
        <source>Nothing to scan: tick at least one section of the catalogue (or the select-all box above it).</source>
        <translation>Nichts zu prüfen: Kreuzen Sie mindestens einen Bereich der Liste an (oder das Feld „Alle“ darüber).</translation>
    </message>
</context>
<context>
    <name>vostrel::shell::MessageBoxDialog</name>
    <message>
        <source> All Problems were repaired sucessfully !</source>
        <translation>Alle Probleme wurden repariert.</translation>
    </message>
    <message>
        <source>Some problems were kept: their backup could not be written.</source>
        <translation>Einige Probleme blieben bestehen: Ihre Sicherung ließ sich nicht schreiben.</translation>
    </message>
    <message>
        <source>Are you sure you want close Vostrel?</source>
        <translation>Vostrel 2006 beenden?</translation>
    </message>
    <message>
        <source>Are you sure you want to stop the scanning ?</source>
        <translation>Die Prüfung anhalten?</translation>
    </message>
    <message>
        <source>Are you sure you want delete the selected file ?</source>
        <translation>Die gewählte Sicherung löschen?</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>vostrel::shell::Platform</name>
    <message>
        <source>Choose directory...</source>
        <translation>Ordner wählen…</translation>
    </message>
</context>
<context>
    <name>vostrel::shell::PopupMenu</name>
    <message>
        <source>Maximize</source>
        <translation>Fenster zeigen</translation>
    </message>
    <message>
        <source>Scan Now</source>
        <translation>Jetzt prüfen</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>Close menu</source>
        <translation>Menü schließen</translation>
    </message>
    <message>
        <source>Vostrel 2006</source>
        <translation>Vostrel 2006</translation>
    </message>
</context>
<context>
    <name>vostrel::shell::PrefixChooser</name>
    <message>
        <source>Wine prefix</source>
        <translation>Wine-Präfix</translation>
    </message>
    <message>
        <source>The Wine prefix to scan; choosing another one reloads the program on it.</source>
        <translation>Das zu prüfende Wine-Präfix; ein anderes lädt das Programm darauf neu.</translation>
    </message>
    <message>
        <source>%1 — %2</source>
        <translation>%1 — %2</translation>
    </message>
    <message>
        <source>Other folder…</source>
        <translation>Anderer Ordner…</translation>
    </message>
    <message>
        <source>Vostrel 2006</source>
        <translation>Vostrel 2006</translation>
    </message>
    <message>
        <source>%1 is no Wine prefix: it holds no system.reg.</source>
        <translation>%1 ist kein Wine-Präfix: Es enthält keine system.reg.</translation>
    </message>
    <message>
        <source>The program could not be started again on %1.</source>
        <translation>Das Programm ließ sich nicht neu auf %1 starten.</translation>
    </message>
</context>
<context>
    <name>vostrel::shell::ResultsPanel</name>
    <message>
        <source>Problem details</source>
        <translation>Einzelheiten zum Problem</translation>
    </message>
    <message>
        <source>Choose a problem to see all that is known of it.</source>
        <translation>Wählen Sie ein Problem, um alles darüber zu sehen.</translation>
    </message>
    <message>
        <source>Entry</source>
        <translation>Eintrag</translation>
    </message>
    <message>
        <source>Value</source>
        <translation>Wert</translation>
    </message>
    <message>
        <source>Holds</source>
        <translation>Inhalt</translation>
    </message>
    <message>
        <source>Looked for</source>
        <translation>Gesucht</translation>
    </message>
    <message>
        <source>Why</source>
        <translation>Grund</translation>
    </message>
    <message>
        <source>%1: %2
</source>
        <translation>%1: %2
</translation>
    </message>
    <message>
        <source>Copy Entry</source>
        <translation>Eintrag kopieren</translation>
    </message>
    <message>
        <source>Copy Missing Path</source>
        <translation>Fehlenden Pfad kopieren</translation>
    </message>
    <message>
        <source>Open Containing Folder</source>
        <translation>Ordner öffnen</translation>
    </message>
    <message>
        <source>Ignore This Entry</source>
        <translation>Diesen Eintrag ignorieren</translation>
    </message>
    <message>
        <source>No folder of this path is on this computer.</source>
        <translation>Kein Ordner dieses Pfads ist auf diesem Computer.</translation>
    </message>
    <message>
        <source>The entry was not added: %1</source>
        <translation>Der Eintrag wurde nicht hinzugefügt: %1</translation>
    </message>
    <message>
        <source>No problem is ticked: nothing to repair.</source>
        <translation>Kein Problem ist angekreuzt: Es gibt nichts zu reparieren.</translation>
    </message>
    <message>
        <source>The scan did not start. %1</source>
        <translation>Die Prüfung hat nicht begonnen. %1</translation>
    </message>
    <message>
        <source>Search the details</source>
        <translation>In den Einzelheiten suchen</translation>
    </message>
    <message>
        <source>Section</source>
        <translation>Bereich</translation>
    </message>
    <message>
        <source>All sections</source>
        <translation>Alle Bereiche</translation>
    </message>
    <message>
        <source>%1 of %2 problems shown</source>
        <translation>%1 von %2 Problemen angezeigt</translation>
    </message>
    <message>
        <source>Id</source>
        <translation>Kennung</translation>
    </message>
    <message>
        <source>Wine is running in this prefix. Its programs are closed first; their unsaved work is lost.</source>
        <translation>Wine läuft in diesem Präfix. Seine Programme werden zuerst geschlossen; ungesicherte Arbeit geht verloren.</translation>
    </message>
    <message>
        <source>Close the prefix&apos;s programs and repair</source>
        <translation>Programme des Präfixes schließen und reparieren</translation>
    </message>
    <message>
        <source>Some lines of the ignore list were left out. %1</source>
        <translation>Einige Zeilen der Ignorierliste wurden übergangen. %1</translation>
    </message>
</context>
<context>
    <name>vostrel::shell::ScanView</name>
    <message>
        <source>Inspecting...</source>
        <translation>Wird untersucht…</translation>
    </message>
    <message>
        <source>Found before the scan was stopped (cancelled)</source>
        <translation>Gefunden, bevor die Prüfung angehalten wurde</translation>
    </message>
    <message>
        <source>%1 (on the ignore list)</source>
        <translation type="vanished">%1 (auf der Ignorierliste)</translation>
    </message>
    <message numerus="yes">
        <source>%n ignored (on the ignore list)</source>
        <translation>
            <numerusform>%n Problem ignoriert (auf der Ignorierliste)</numerusform>
            <numerusform>%n Probleme ignoriert (auf der Ignorierliste)</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>vostrel::shell::SettingsDialog</name>
    <message>
        <source>Settings</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>Make Backup Before Repairing.</source>
        <translation>Vor dem Reparieren sichern</translation>
    </message>
    <message>
        <source>BackUp&apos;s :</source>
        <translation>Sicherungen:</translation>
    </message>
    <message>
        <source>Make report after every scan.</source>
        <translation>Nach jeder Prüfung einen Bericht schreiben</translation>
    </message>
    <message>
        <source>Report Log :</source>
        <translation>Bericht:</translation>
    </message>
    <message>
        <source>Play sound whenever a problem is detected.</source>
        <translation>Einen Klang spielen, wenn ein Problem gefunden wird</translation>
    </message>
    <message>
        <source>Sound File :</source>
        <translation>Klangdatei:</translation>
    </message>
    <message>
        <source>Run Vostrel on startup.</source>
        <translation>Vostrel bei der Anmeldung starten</translation>
    </message>
    <message>
        <source>Checking this option will run at Windows Startup</source>
        <translation>Vostrel startet mit der Arbeitsumgebung</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>...</source>
        <translation>…</translation>
    </message>
    <message>
        <source>Browse %1</source>
        <translation>%1 durchsuchen</translation>
    </message>
    <message>
        <source>wav Files (*.wav)</source>
        <translation>WAV-Dateien (*.wav)</translation>
    </message>
    <message>
        <source>The ignore list was not saved: %1</source>
        <translation>Die Ignorierliste wurde nicht gespeichert: %1</translation>
    </message>
    <message>
        <source>Stores the settings and closes the window</source>
        <translation>Speichert die Einstellungen und schließt das Fenster</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Closes the window and keeps the settings as they were</source>
        <translation>Schließt das Fenster und lässt die Einstellungen, wie sie waren</translation>
    </message>
</context>
<context>
    <name>vostrel::shell::Splash</name>
    <message>
        <source>Vostrel 2006</source>
        <translation>Vostrel 2006</translation>
    </message>
</context>
<context>
    <name>vostrel::status</name>
    <message>
        <source>Registry Integrity</source>
        <translation>Registrierung wird geprüft…</translation>
    </message>
    <message>
        <source> Custom Controls....</source>
        <translation>COM-Steuerelemente…</translation>
    </message>
    <message>
        <source> Sub Section Controls....</source>
        <translation>COM-Klassen des Computers…</translation>
    </message>
    <message>
        <source> Software Locations....</source>
        <translation>Programmpfade…</translation>
    </message>
    <message>
        <source>Help Files</source>
        <translation>Hilfedateien…</translation>
    </message>
    <message>
        <source> Shared files....</source>
        <translation>Gemeinsame Werkzeuge…</translation>
    </message>
    <message>
        <source>Windows Startup</source>
        <translation>Autostart-Einträge…</translation>
    </message>
    <message>
        <source> Uninstall files...</source>
        <translation>Deinstallationseinträge…</translation>
    </message>
    <message>
        <source> Virtual Devices...</source>
        <translation>Virtuelle Gerätetreiber…</translation>
    </message>
    <message>
        <source> Windows fonts...</source>
        <translation>Schriftarten…</translation>
    </message>
    <message>
        <source> Configuration files...</source>
        <translation>Softwareeinstellungen…</translation>
    </message>
    <message>
        <source> Shared DLLs...</source>
        <translation>Gemeinsame DLLs…</translation>
    </message>
    <message>
        <source> Installer folders...</source>
        <translation>Installer-Ordner…</translation>
    </message>
    <message>
        <source> MUI cache...</source>
        <translation>Programmnamen-Cache…</translation>
    </message>
    <message>
        <source> Compatibility layers...</source>
        <translation>Kompatibilitätseinstellungen…</translation>
    </message>
    <message>
        <source> Services...</source>
        <translation>Dienste…</translation>
    </message>
    <message>
        <source> Sound events...</source>
        <translation>Klangereignisse…</translation>
    </message>
    <message>
        <source> Type libraries...</source>
        <translation>Typbibliotheken…</translation>
    </message>
    <message>
        <source> File associations...</source>
        <translation>Dateitypen…</translation>
    </message>
    <message>
        <source> Wine menu entries...</source>
        <translation>Wine-Menüeinträge…</translation>
    </message>
    <message>
        <source> Shortcuts...</source>
        <translation>Verknüpfungen…</translation>
    </message>
    <message>
        <source> Shortcuts %1...</source>
        <translation>Verknüpfungen auf %1…</translation>
    </message>
</context>
<context>
    <name>vostrel::summary</name>
    <message numerus="yes">
        <source>Invalid Custom Controls ( %n Problem(s) )</source>
        <translation>
            <numerusform>COM-Steuerelemente: %n Problem</numerusform>
            <numerusform>COM-Steuerelemente: %n Probleme</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Invalid Sub Section Controls ( %n Problem(s) )</source>
        <translation>
            <numerusform>COM-Klassen des Computers: %n Problem</numerusform>
            <numerusform>COM-Klassen des Computers: %n Probleme</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Invalid Software Locations ( %n Problem(s) )</source>
        <translation>
            <numerusform>Programmpfade: %n Problem</numerusform>
            <numerusform>Programmpfade: %n Probleme</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Invalid Help Files ( %n Problem(s) )</source>
        <translation>
            <numerusform>Hilfedateien: %n Problem</numerusform>
            <numerusform>Hilfedateien: %n Probleme</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Invalid Shared Files ( %n Problem(s) )</source>
        <translation>
            <numerusform>Gemeinsame Werkzeuge: %n Problem</numerusform>
            <numerusform>Gemeinsame Werkzeuge: %n Probleme</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Invalid Windows Startup Files  ( %n Problem(s) )</source>
        <translation>
            <numerusform>Autostart-Einträge: %n Problem</numerusform>
            <numerusform>Autostart-Einträge: %n Probleme</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Invalid Uninstall Section File  ( %n Problem(s) )</source>
        <translation>
            <numerusform>Deinstallationseinträge: %n Problem</numerusform>
            <numerusform>Deinstallationseinträge: %n Probleme</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Invalid Virtual Devices ( %n Problem(s) )</source>
        <translation>
            <numerusform>Virtuelle Gerätetreiber: %n Problem</numerusform>
            <numerusform>Virtuelle Gerätetreiber: %n Probleme</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Invalid Windows Fonts (  %n Problem(s) )</source>
        <translation>
            <numerusform>Schriftarten: %n Problem</numerusform>
            <numerusform>Schriftarten: %n Probleme</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Invalid Shared DLLs ( %n Problem(s) )</source>
        <translation>
            <numerusform>Gemeinsame DLLs: %n Problem</numerusform>
            <numerusform>Gemeinsame DLLs: %n Probleme</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Invalid Installer Folders ( %n Problem(s) )</source>
        <translation>
            <numerusform>Installer-Ordner: %n Problem</numerusform>
            <numerusform>Installer-Ordner: %n Probleme</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Invalid MUI Cache ( %n Problem(s) )</source>
        <translation>
            <numerusform>Programmnamen-Cache: %n Problem</numerusform>
            <numerusform>Programmnamen-Cache: %n Probleme</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Invalid Compatibility Layers ( %n Problem(s) )</source>
        <translation>
            <numerusform>Kompatibilitätseinstellungen: %n Problem</numerusform>
            <numerusform>Kompatibilitätseinstellungen: %n Probleme</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Invalid Services ( %n Problem(s) )</source>
        <translation>
            <numerusform>Dienste: %n Problem</numerusform>
            <numerusform>Dienste: %n Probleme</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Invalid Sound Events ( %n Problem(s) )</source>
        <translation>
            <numerusform>Klangereignisse: %n Problem</numerusform>
            <numerusform>Klangereignisse: %n Probleme</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Invalid Type Libraries ( %n Problem(s) )</source>
        <translation>
            <numerusform>Typbibliotheken: %n Problem</numerusform>
            <numerusform>Typbibliotheken: %n Probleme</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Invalid File Associations ( %n Problem(s) )</source>
        <translation>
            <numerusform>Dateitypen: %n Problem</numerusform>
            <numerusform>Dateitypen: %n Probleme</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Invalid Wine Menu Entries ( %n Problem(s) )</source>
        <translation>
            <numerusform>Wine-Menüeinträge: %n Problem</numerusform>
            <numerusform>Wine-Menüeinträge: %n Probleme</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Menu entries of deleted Wine prefixes ( %n Problem(s) )</source>
        <translation>
            <numerusform>Menüeinträge gelöschter Wine-Präfixe: %n Problem</numerusform>
            <numerusform>Menüeinträge gelöschter Wine-Präfixe: %n Probleme</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Invalid Windows Shortcut File (%n Problems)</source>
        <translation>
            <numerusform>Verknüpfungen: %n Problem</numerusform>
            <numerusform>Verknüpfungen: %n Probleme</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1: %2 leftovers in %n place(s)</source>
        <translation>
            <numerusform>%1: %2 Reste an %n Stelle</numerusform>
            <numerusform>%1: %2 Reste an %n Stellen</numerusform>
        </translation>
    </message>
</context>
</TS>
