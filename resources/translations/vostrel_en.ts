<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="en">
<context>
    <name>main</name>
    <message>
        <source>Vostrel 2006</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Vostrel 2006 - finds registry entries and shortcuts that point at missing files</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The Wine prefix to work on (default $WINEPREFIX, else ~/.wine).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The Wine prefix %1 cannot be opened:
%2</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>vostrel::shell::BackupDialog</name>
    <message>
        <source>Backup</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Registry backups</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Restore</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Delete</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>backup %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>backups %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>, </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Restore %1 %2 of %3 into %4?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>item</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>items</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Restored %1, failed %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>: the ticked backups are no longer in the backup folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>
… and %1 more</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Nothing was restored: no backup is ticked. Tick the backups to restore first.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>vostrel::shell::CloseNotice</name>
    <message>
        <source>Although you have closed the program window. Vostrel will continue to run in the task manager near to the clock for your quick reference.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Do not show this message in future.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>vostrel::shell::IgnoreListBox</name>
    <message>
        <source>Ignore list</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Remove</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Remove from the ignore list</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The ignore list cannot be read: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ignore list : no entries (add them from the results)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ignore list :</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>vostrel::shell::ImagePair</name>
    <message>
        <source>Close</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>vostrel::shell::MainWindow</name>
    <message>
        <source>Minimise</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Close</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Select all sections</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>My Computer</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Scan Now</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Click on the Scan button to start scanning your registry for problems.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Settings</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Click on the Settings button for configuration options.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Backup</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Click the Backup button to restore any previous registry backups.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show Log</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Help</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Support</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Scanning...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Problem(s) Detected :</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Current Keys</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Current Files</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Repairing...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Found before the scan was stopped (cancelled)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Repair</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Return</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Vostrel 2006 © 2006 Vostrel. All rights reserved.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Vostrel 2006</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Loading the registry of the %1...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Nothing was repaired: %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>vostrel::shell::MessageBoxDialog</name>
    <message>
        <source> All Problems were repaired sucessfully !</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Some problems were kept: their backup could not be written.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Are you sure you want close Vostrel?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Are you sure you want to stop the scanning ?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Are you sure you want delete the selected file ?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>vostrel::shell::Platform</name>
    <message>
        <source>Choose directory...</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>vostrel::shell::PopupMenu</name>
    <message>
        <source>Maximize</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Scan Now</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Settings</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Quit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Close menu</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Vostrel 2006</source>
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
    <message>
        <source>The program could not be started again on %1.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>vostrel::shell::ResultsPanel</name>
    <message>
        <source>Problem details</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Choose a problem to see all that is known of it.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Entry</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Value</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Holds</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Looked for</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Why</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: %2
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Copy Entry</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Copy Missing Path</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open Containing Folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ignore This Entry</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No folder of this path is on this computer.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The entry was not added: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No problem is ticked: nothing to repair.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The scan did not start. %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>vostrel::shell::ScanView</name>
    <message>
        <source>Inspecting...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Found before the scan was stopped (cancelled)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 (on the ignore list)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>vostrel::shell::SettingsDialog</name>
    <message>
        <source>Settings</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Make Backup Before Repairing.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>BackUp&apos;s :</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Make report after every scan.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Report Log :</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Play sound whenever a problem is detected.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sound File :</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Run Vostrel on startup.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Checking this option will run at Windows Startup</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Browse %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>wav Files (*.wav)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The ignore list was not saved: %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>vostrel::shell::Splash</name>
    <message>
        <source>Vostrel 2006</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
