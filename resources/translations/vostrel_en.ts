<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="en">
<context>
    <name>main</name>
    <message>
        <source>Vostrel 2006</source>
        <translation>Vostrel 2006</translation>
    </message>
    <message>
        <source>Vostrel 2006 - finds registry entries and shortcuts that point at missing files</source>
        <translation>Vostrel 2006 - finds registry entries and shortcuts that point at missing files</translation>
    </message>
    <message>
        <source>The Wine prefix to work on (default $WINEPREFIX, else ~/.wine).</source>
        <translation>The Wine prefix to work on (default $WINEPREFIX, else ~/.wine).</translation>
    </message>
    <message>
        <source>The Wine prefix %1 cannot be opened:
%2</source>
        <translation>The Wine prefix %1 cannot be opened:
%2</translation>
    </message>
</context>
<context>
    <name>vostrel::details</name>
    <message>
        <source>This file could not be found on your hard drive:</source>
        <translation>Missing file: </translation>
    </message>
    <message>
        <source>The path of this file is incorrect : </source>
        <translation>Broken shortcut: </translation>
    </message>
    <message>
        <source>This menu entry starts what is gone: </source>
        <translation>Menu entry of a missing program: </translation>
    </message>
    <message>
        <source>The Wine prefix of this menu entry is gone: </source>
        <translation>Menu entry of a deleted Wine prefix: </translation>
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
        <translation>Date</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>Size ( Bytes )</source>
        <translation>Size (bytes)</translation>
    </message>
    <message>
        <source>Prefix</source>
        <translation>Prefix</translation>
    </message>
    <message>
        <source>Restored</source>
        <translation>Restored</translation>
    </message>
    <message>
        <source>Sections to be scanned</source>
        <translation>Sections to be scanned</translation>
    </message>
    <message>
        <source>Summary</source>
        <translation>Summary</translation>
    </message>
    <message>
        <source>Details</source>
        <translation>Details</translation>
    </message>
    <message>
        <source>Entry</source>
        <translation>Entry</translation>
    </message>
    <message>
        <source>Value</source>
        <translation>Value</translation>
    </message>
    <message>
        <source>Holds</source>
        <translation>Holds</translation>
    </message>
    <message>
        <source>Looked for</source>
        <translation>Looked for</translation>
    </message>
    <message>
        <source>Why</source>
        <translation>Why</translation>
    </message>
</context>
<context>
    <name>vostrel::sections</name>
    <message>
        <source>Registry Integrity</source>
        <translation>Registry integrity</translation>
    </message>
    <message>
        <source>Custom Controls</source>
        <translation>COM controls</translation>
    </message>
    <message>
        <source>Sub Section Controls</source>
        <translation>COM classes of the machine</translation>
    </message>
    <message>
        <source>Software Locations</source>
        <translation>Program paths</translation>
    </message>
    <message>
        <source>Help Files</source>
        <translation>Help files</translation>
    </message>
    <message>
        <source>Shared Files</source>
        <translation>Shared tools</translation>
    </message>
    <message>
        <source>Windows Startup</source>
        <translation>Startup entries</translation>
    </message>
    <message>
        <source>Uninstall Section</source>
        <translation>Uninstall entries</translation>
    </message>
    <message>
        <source>Virtual Devices</source>
        <translation>Virtual device drivers</translation>
    </message>
    <message>
        <source>Windows Fonts</source>
        <translation>Fonts</translation>
    </message>
    <message>
        <source>Configuration files</source>
        <translation>Software settings</translation>
    </message>
    <message>
        <source>Shared DLLs</source>
        <translation>Shared DLLs</translation>
    </message>
    <message>
        <source>Installer Folders</source>
        <translation>Installer folders</translation>
    </message>
    <message>
        <source>MUI Cache</source>
        <translation>Program name cache</translation>
    </message>
    <message>
        <source>Compatibility Layers</source>
        <translation>Compatibility settings</translation>
    </message>
    <message>
        <source>Services</source>
        <translation>Services</translation>
    </message>
    <message>
        <source>Sound Events</source>
        <translation>Sound events</translation>
    </message>
    <message>
        <source>Type Libraries</source>
        <translation>Type libraries</translation>
    </message>
    <message>
        <source>File Associations</source>
        <translation>File types</translation>
    </message>
    <message>
        <source>Wine Menu Entries</source>
        <translation>Wine menu entries</translation>
    </message>
    <message>
        <source>Wine Menu Entries of deleted prefixes</source>
        <translation>Menu entries of deleted Wine prefixes</translation>
    </message>
    <message>
        <source>Windows Shortcut</source>
        <translation>Shortcuts</translation>
    </message>
    <message>
        <source>Window Shortcut %1</source>
        <translation>Shortcuts on %1:</translation>
    </message>
</context>
<context>
    <name>vostrel::shell::BackupDialog</name>
    <message>
        <source>Backup</source>
        <translation>Backup</translation>
    </message>
    <message>
        <source>Registry backups</source>
        <translation>Registry backups</translation>
    </message>
    <message>
        <source>Restore</source>
        <translation>Restore</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>backup %1</source>
        <translation>backup %1</translation>
    </message>
    <message>
        <source>backups %1</source>
        <translation>backups %1</translation>
    </message>
    <message>
        <source>, </source>
        <translation>, </translation>
    </message>
    <message>
        <source>Restore %1 %2 of %3 into %4?</source>
        <translation>Restore %1 %2 of %3 into %4?</translation>
    </message>
    <message>
        <source>item</source>
        <translation>item</translation>
    </message>
    <message>
        <source>items</source>
        <translation>items</translation>
    </message>
    <message>
        <source>Restored %1, failed %2</source>
        <translation>Restored %1, failed %2</translation>
    </message>
    <message>
        <source>: the ticked backups are no longer in the backup folder</source>
        <translation>: the ticked backups are no longer in the backup folder</translation>
    </message>
    <message>
        <source>
… and %1 more</source>
        <translation>
… and %1 more</translation>
    </message>
    <message>
        <source>
  … and %1 more</source>
        <translation>
  … and %1 more</translation>
    </message>
    <message>
        <source>
The backup is kept, marked as restored.</source>
        <translation>
The backup is kept, marked as restored.</translation>
    </message>
    <message>
        <source>Nothing was restored: no backup is chosen. Select a backup, or tick several, first.</source>
        <translation>Nothing was restored: no backup is chosen. Select a backup, or tick several, first.</translation>
    </message>
</context>
<context>
    <name>vostrel::shell::CloseNotice</name>
    <message>
        <source>Although you have closed the program window. Vostrel will continue to run in the task manager near to the clock for your quick reference.</source>
        <translation>The window is closed, but Vostrel keeps running in the notification area next to the clock.</translation>
    </message>
    <message>
        <source>Do not show this message in future.</source>
        <translation>Do not show this again</translation>
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
        <translation>Ignore list</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Remove</translation>
    </message>
    <message>
        <source>Remove from the ignore list</source>
        <translation>Remove from the ignore list</translation>
    </message>
    <message>
        <source>The ignore list cannot be read: %1</source>
        <translation>The ignore list cannot be read: %1</translation>
    </message>
    <message>
        <source>Ignore list : no entries (add them from the results)</source>
        <translation>Ignore list: no entries (add them from the results)</translation>
    </message>
    <message>
        <source>Ignore list :</source>
        <translation>Ignore list:</translation>
    </message>
    <message>
        <source>Registry key to ignore</source>
        <translation>Registry key to ignore</translation>
    </message>
    <message>
        <source>Key to ignore, such as HKLM\Software\Old Game\*</source>
        <translation>Key to ignore, such as HKLM\Software\Old Game\*</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>Add</translation>
    </message>
    <message>
        <source>Add the key to the ignore list</source>
        <translation>Add the key to the ignore list</translation>
    </message>
    <message>
        <source>Adds the registry key typed beside it, every value of it</source>
        <translation>Adds the registry key typed beside it, every value of it</translation>
    </message>
    <message>
        <source>Not added: %1</source>
        <translation>Not added: %1</translation>
    </message>
    <message>
        <source>Already on the ignore list: %1</source>
        <translation>Already on the ignore list: %1</translation>
    </message>
</context>
<context>
    <name>vostrel::shell::ImagePair</name>
    <message>
        <source>Close</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Closes this window</source>
        <translation>Closes this window</translation>
    </message>
</context>
<context>
    <name>vostrel::shell::MainWindow</name>
    <message>
        <source>Minimise</source>
        <translation>Minimise</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Select all sections</source>
        <translation>Select all sections</translation>
    </message>
    <message>
        <source>My Computer</source>
        <translation>All drives</translation>
    </message>
    <message>
        <source>Scan Now</source>
        <translation>Scan Now</translation>
    </message>
    <message>
        <source>Click on the Scan button to start scanning your registry for problems.</source>
        <translation>Click Scan Now to look for problems in the registry and shortcuts.</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>Click on the Settings button for configuration options.</source>
        <translation>Click Settings to change how Vostrel works.</translation>
    </message>
    <message>
        <source>Backup</source>
        <translation>Backup</translation>
    </message>
    <message>
        <source>Click the Backup button to restore any previous registry backups.</source>
        <translation>Click Backup to restore an earlier registry backup.</translation>
    </message>
    <message>
        <source>Show Log</source>
        <translation>Show Log</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>Support</source>
        <translation>Support</translation>
    </message>
    <message>
        <source>Scanning...</source>
        <translation>Scanning...</translation>
    </message>
    <message>
        <source>Problem(s) Detected :</source>
        <translation>Problems found:</translation>
    </message>
    <message>
        <source>Current Keys</source>
        <translation>Current key</translation>
    </message>
    <message>
        <source>Current Files</source>
        <translation>Current file</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Repairing...</source>
        <translation>Repairing...</translation>
    </message>
    <message>
        <source>Found before the scan was stopped (cancelled)</source>
        <translation>Found before the scan was stopped</translation>
    </message>
    <message>
        <source>Repair</source>
        <translation>Repair</translation>
    </message>
    <message>
        <source>Return</source>
        <translation>Return</translation>
    </message>
    <message>
        <source>Vostrel 2006 © 2006 Vostrel. All rights reserved.</source>
        <translation>Vostrel 2006 © 2006 Vostrel. All rights reserved.</translation>
    </message>
    <message>
        <source>Vostrel 2006</source>
        <translation>Vostrel 2006</translation>
    </message>
    <message>
        <source>Loading the registry of the %1...</source>
        <translation>Loading the registry of the %1…</translation>
    </message>
    <message>
        <source>Nothing was repaired: %1</source>
        <translation>Nothing was repaired: %1</translation>
    </message>
    <message>
        <source>Wine is running in this prefix: a repair closes its programs first.</source>
        <translation>Wine is running in this prefix: a repair closes its programs first.</translation>
    </message>
    <message>
        <source>Minimises the window</source>
        <translation>Minimises the window</translation>
    </message>
    <message>
        <source>Closes the window (Ctrl+Q quits)</source>
        <translation>Closes the window (Ctrl+Q quits)</translation>
    </message>
    <message>
        <source>Scans the ticked sections for problems (F5)</source>
        <translation>Scans the ticked sections for problems (F5)</translation>
    </message>
    <message>
        <source>Opens the settings</source>
        <translation>Opens the settings</translation>
    </message>
    <message>
        <source>Opens the backups, to restore a repair</source>
        <translation>Opens the backups, to restore a repair</translation>
    </message>
    <message>
        <source>Opens the user guide</source>
        <translation>Opens the user guide</translation>
    </message>
    <message>
        <source>Opens the support page</source>
        <translation>Opens the support page</translation>
    </message>
    <message>
        <source>Stops the scan</source>
        <translation>Stops the scan</translation>
    </message>
    <message>
        <source>Repairs the ticked problems, after asking (Delete)</source>
        <translation>Repairs the ticked problems, after asking (Delete)</translation>
    </message>
    <message>
        <source>Goes back to the start view</source>
        <translation>Goes back to the start view</translation>
    </message>
    <message>
        <source>Nothing to scan: tick at least one section of the catalogue (or the select-all box above it).</source>
        <translation>Nothing to scan: tick at least one section of the catalogue (or the select-all box above it).</translation>
    </message>
</context>
<context>
    <name>vostrel::shell::MessageBoxDialog</name>
    <message>
        <source> All Problems were repaired sucessfully !</source>
        <translation>All problems were repaired.</translation>
    </message>
    <message>
        <source>Some problems were kept: their backup could not be written.</source>
        <translation>Some problems were kept: their backup could not be written.</translation>
    </message>
    <message>
        <source>Are you sure you want close Vostrel?</source>
        <translation>Quit Vostrel 2006?</translation>
    </message>
    <message>
        <source>Are you sure you want to stop the scanning ?</source>
        <translation>Stop the scan?</translation>
    </message>
    <message>
        <source>Are you sure you want delete the selected file ?</source>
        <translation>Delete the selected backup?</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>vostrel::shell::Platform</name>
    <message>
        <source>Choose directory...</source>
        <translation>Choose directory...</translation>
    </message>
</context>
<context>
    <name>vostrel::shell::PopupMenu</name>
    <message>
        <source>Maximize</source>
        <translation>Show the window</translation>
    </message>
    <message>
        <source>Scan Now</source>
        <translation>Scan Now</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Quit</translation>
    </message>
    <message>
        <source>Close menu</source>
        <translation>Close menu</translation>
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
        <translation>Wine prefix</translation>
    </message>
    <message>
        <source>The Wine prefix to scan; choosing another one reloads the program on it.</source>
        <translation>The Wine prefix to scan; choosing another one reloads the program on it.</translation>
    </message>
    <message>
        <source>%1 — %2</source>
        <translation>%1 — %2</translation>
    </message>
    <message>
        <source>Other folder…</source>
        <translation>Other folder…</translation>
    </message>
    <message>
        <source>Vostrel 2006</source>
        <translation>Vostrel 2006</translation>
    </message>
    <message>
        <source>%1 is no Wine prefix: it holds no system.reg.</source>
        <translation>%1 is no Wine prefix: it holds no system.reg.</translation>
    </message>
    <message>
        <source>The program could not be started again on %1.</source>
        <translation>The program could not be started again on %1.</translation>
    </message>
</context>
<context>
    <name>vostrel::shell::ResultsPanel</name>
    <message>
        <source>Problem details</source>
        <translation>Problem details</translation>
    </message>
    <message>
        <source>Choose a problem to see all that is known of it.</source>
        <translation>Choose a problem to see all that is known of it.</translation>
    </message>
    <message>
        <source>Entry</source>
        <translation>Entry</translation>
    </message>
    <message>
        <source>Value</source>
        <translation>Value</translation>
    </message>
    <message>
        <source>Holds</source>
        <translation>Holds</translation>
    </message>
    <message>
        <source>Looked for</source>
        <translation>Looked for</translation>
    </message>
    <message>
        <source>Why</source>
        <translation>Why</translation>
    </message>
    <message>
        <source>%1: %2
</source>
        <translation>%1: %2
</translation>
    </message>
    <message>
        <source>Copy Entry</source>
        <translation>Copy entry</translation>
    </message>
    <message>
        <source>Copy Missing Path</source>
        <translation>Copy missing path</translation>
    </message>
    <message>
        <source>Open Containing Folder</source>
        <translation>Open containing folder</translation>
    </message>
    <message>
        <source>Ignore This Entry</source>
        <translation>Ignore this entry</translation>
    </message>
    <message>
        <source>No folder of this path is on this computer.</source>
        <translation>No folder of this path is on this computer.</translation>
    </message>
    <message>
        <source>The entry was not added: %1</source>
        <translation>The entry was not added: %1</translation>
    </message>
    <message>
        <source>No problem is ticked: nothing to repair.</source>
        <translation>No problem is ticked: nothing to repair.</translation>
    </message>
    <message>
        <source>The scan did not start. %1</source>
        <translation>The scan did not start. %1</translation>
    </message>
    <message>
        <source>Search the details</source>
        <translation>Search the details</translation>
    </message>
    <message>
        <source>Section</source>
        <translation>Section</translation>
    </message>
    <message>
        <source>All sections</source>
        <translation>All sections</translation>
    </message>
    <message>
        <source>%1 of %2 problems shown</source>
        <translation>%1 of %2 problems shown</translation>
    </message>
    <message>
        <source>Id</source>
        <translation>Id</translation>
    </message>
    <message>
        <source>Wine is running in this prefix. Its programs are closed first; their unsaved work is lost.</source>
        <translation>Wine is running in this prefix. Its programs are closed first; their unsaved work is lost.</translation>
    </message>
    <message>
        <source>Close the prefix&apos;s programs and repair</source>
        <translation>Close the prefix&apos;s programs and repair</translation>
    </message>
    <message>
        <source>Some lines of the ignore list were left out. %1</source>
        <translation>Some lines of the ignore list were left out. %1</translation>
    </message>
</context>
<context>
    <name>vostrel::shell::ScanView</name>
    <message>
        <source>Inspecting...</source>
        <translation>Inspecting...</translation>
    </message>
    <message>
        <source>Found before the scan was stopped (cancelled)</source>
        <translation>Found before the scan was stopped</translation>
    </message>
    <message>
        <source>%1 (on the ignore list)</source>
        <translation type="vanished">%1 (on the ignore list)</translation>
    </message>
    <message numerus="yes">
        <source>%n ignored (on the ignore list)</source>
        <translation>
            <numerusform>%n problem ignored (on the ignore list)</numerusform>
            <numerusform>%n problems ignored (on the ignore list)</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>vostrel::shell::SettingsDialog</name>
    <message>
        <source>Settings</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>Make Backup Before Repairing.</source>
        <translation>Back up before repairing</translation>
    </message>
    <message>
        <source>BackUp&apos;s :</source>
        <translation>Backups:</translation>
    </message>
    <message>
        <source>Make report after every scan.</source>
        <translation>Write a report after every scan</translation>
    </message>
    <message>
        <source>Report Log :</source>
        <translation>Report:</translation>
    </message>
    <message>
        <source>Play sound whenever a problem is detected.</source>
        <translation>Play a sound when a problem is found</translation>
    </message>
    <message>
        <source>Sound File :</source>
        <translation>Sound file:</translation>
    </message>
    <message>
        <source>Run Vostrel on startup.</source>
        <translation>Start Vostrel when I log in</translation>
    </message>
    <message>
        <source>Checking this option will run at Windows Startup</source>
        <translation>Vostrel starts with the desktop session</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>...</source>
        <translation>...</translation>
    </message>
    <message>
        <source>Browse %1</source>
        <translation>Browse %1</translation>
    </message>
    <message>
        <source>wav Files (*.wav)</source>
        <translation>WAV files (*.wav)</translation>
    </message>
    <message>
        <source>The ignore list was not saved: %1</source>
        <translation>The ignore list was not saved: %1</translation>
    </message>
    <message>
        <source>Stores the settings and closes the window</source>
        <translation>Stores the settings and closes the window</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Closes the window and keeps the settings as they were</source>
        <translation>Closes the window and keeps the settings as they were</translation>
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
        <translation>Checking the registry…</translation>
    </message>
    <message>
        <source> Custom Controls....</source>
        <translation>COM controls…</translation>
    </message>
    <message>
        <source> Sub Section Controls....</source>
        <translation>COM classes of the machine…</translation>
    </message>
    <message>
        <source> Software Locations....</source>
        <translation>Program paths…</translation>
    </message>
    <message>
        <source>Help Files</source>
        <translation>Help files…</translation>
    </message>
    <message>
        <source> Shared files....</source>
        <translation>Shared tools…</translation>
    </message>
    <message>
        <source>Windows Startup</source>
        <translation>Startup entries…</translation>
    </message>
    <message>
        <source> Uninstall files...</source>
        <translation>Uninstall entries…</translation>
    </message>
    <message>
        <source> Virtual Devices...</source>
        <translation>Virtual device drivers…</translation>
    </message>
    <message>
        <source> Windows fonts...</source>
        <translation>Fonts…</translation>
    </message>
    <message>
        <source> Configuration files...</source>
        <translation>Software settings…</translation>
    </message>
    <message>
        <source> Shared DLLs...</source>
        <translation>Shared DLLs…</translation>
    </message>
    <message>
        <source> Installer folders...</source>
        <translation>Installer folders…</translation>
    </message>
    <message>
        <source> MUI cache...</source>
        <translation>Program name cache…</translation>
    </message>
    <message>
        <source> Compatibility layers...</source>
        <translation>Compatibility settings…</translation>
    </message>
    <message>
        <source> Services...</source>
        <translation>Services…</translation>
    </message>
    <message>
        <source> Sound events...</source>
        <translation>Sound events…</translation>
    </message>
    <message>
        <source> Type libraries...</source>
        <translation>Type libraries…</translation>
    </message>
    <message>
        <source> File associations...</source>
        <translation>File types…</translation>
    </message>
    <message>
        <source> Wine menu entries...</source>
        <translation>Wine menu entries…</translation>
    </message>
    <message>
        <source> Shortcuts...</source>
        <translation>Shortcuts…</translation>
    </message>
    <message>
        <source> Shortcuts %1...</source>
        <translation>Shortcuts on %1…</translation>
    </message>
</context>
<context>
    <name>vostrel::summary</name>
    <message numerus="yes">
        <source>Invalid Custom Controls ( %n Problem(s) )</source>
        <translation>
            <numerusform>COM controls: %n problem</numerusform>
            <numerusform>COM controls: %n problems</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Invalid Sub Section Controls ( %n Problem(s) )</source>
        <translation>
            <numerusform>COM classes of the machine: %n problem</numerusform>
            <numerusform>COM classes of the machine: %n problems</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Invalid Software Locations ( %n Problem(s) )</source>
        <translation>
            <numerusform>Program paths: %n problem</numerusform>
            <numerusform>Program paths: %n problems</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Invalid Help Files ( %n Problem(s) )</source>
        <translation>
            <numerusform>Help files: %n problem</numerusform>
            <numerusform>Help files: %n problems</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Invalid Shared Files ( %n Problem(s) )</source>
        <translation>
            <numerusform>Shared tools: %n problem</numerusform>
            <numerusform>Shared tools: %n problems</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Invalid Windows Startup Files  ( %n Problem(s) )</source>
        <translation>
            <numerusform>Startup entries: %n problem</numerusform>
            <numerusform>Startup entries: %n problems</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Invalid Uninstall Section File  ( %n Problem(s) )</source>
        <translation>
            <numerusform>Uninstall entries: %n problem</numerusform>
            <numerusform>Uninstall entries: %n problems</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Invalid Virtual Devices ( %n Problem(s) )</source>
        <translation>
            <numerusform>Virtual device drivers: %n problem</numerusform>
            <numerusform>Virtual device drivers: %n problems</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Invalid Windows Fonts (  %n Problem(s) )</source>
        <translation>
            <numerusform>Fonts: %n problem</numerusform>
            <numerusform>Fonts: %n problems</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Invalid Shared DLLs ( %n Problem(s) )</source>
        <translation>
            <numerusform>Shared DLLs: %n problem</numerusform>
            <numerusform>Shared DLLs: %n problems</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Invalid Installer Folders ( %n Problem(s) )</source>
        <translation>
            <numerusform>Installer folders: %n problem</numerusform>
            <numerusform>Installer folders: %n problems</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Invalid MUI Cache ( %n Problem(s) )</source>
        <translation>
            <numerusform>Program name cache: %n problem</numerusform>
            <numerusform>Program name cache: %n problems</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Invalid Compatibility Layers ( %n Problem(s) )</source>
        <translation>
            <numerusform>Compatibility settings: %n problem</numerusform>
            <numerusform>Compatibility settings: %n problems</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Invalid Services ( %n Problem(s) )</source>
        <translation>
            <numerusform>Services: %n problem</numerusform>
            <numerusform>Services: %n problems</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Invalid Sound Events ( %n Problem(s) )</source>
        <translation>
            <numerusform>Sound events: %n problem</numerusform>
            <numerusform>Sound events: %n problems</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Invalid Type Libraries ( %n Problem(s) )</source>
        <translation>
            <numerusform>Type libraries: %n problem</numerusform>
            <numerusform>Type libraries: %n problems</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Invalid File Associations ( %n Problem(s) )</source>
        <translation>
            <numerusform>File types: %n problem</numerusform>
            <numerusform>File types: %n problems</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Invalid Wine Menu Entries ( %n Problem(s) )</source>
        <translation>
            <numerusform>Wine menu entries: %n problem</numerusform>
            <numerusform>Wine menu entries: %n problems</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Menu entries of deleted Wine prefixes ( %n Problem(s) )</source>
        <translation>
            <numerusform>Menu entries of deleted Wine prefixes: %n problem</numerusform>
            <numerusform>Menu entries of deleted Wine prefixes: %n problems</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Invalid Windows Shortcut File (%n Problems)</source>
        <translation>
            <numerusform>Shortcuts: %n problem</numerusform>
            <numerusform>Shortcuts: %n problems</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1: %2 leftovers in %n place(s)</source>
        <translation>
            <numerusform>%1: %2 leftovers in %n place</numerusform>
            <numerusform>%1: %2 leftovers in %n places</numerusform>
        </translation>
    </message>
</context>
</TS>
