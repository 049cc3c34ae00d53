// Plants the shortcuts of the differential test on drive C, through the
// shell's own link writer (WScript.Shell), and removes the targets that are
// meant to be missing afterwards.
var shell = new ActiveXObject("WScript.Shell");
var fso = new ActiveXObject("Scripting.FileSystemObject");

function folder(path) {
    if (!fso.FolderExists(path)) fso.CreateFolder(path);
}
function file(path) {
    var f = fso.CreateTextFile(path, true);
    f.Write("x");
    f.Close();
}
function link(path, target, workingDirectory) {
    var l = shell.CreateShortcut(path);
    l.TargetPath = target;
    if (workingDirectory) l.WorkingDirectory = workingDirectory;
    l.Save();
}
function text(path, contents) {
    var f = fso.CreateTextFile(path, true);
    f.Write(contents);
    f.Close();
}

var root = "C:\\VostrelLinks";
folder(root);
folder(root + "\\Sub Folder");
folder(root + "\\Targets");
folder("C:\\NetHood");
folder("C:\\users\\Public\\Desktop");

var gone = [root + "\\Targets\\gone.exe", root + "\\Targets\\deep gone.exe", root + "\\Targets\\home.exe",
            root + "\\Targets\\nethood.exe", root + "\\Targets\\desktop.exe", root + "\\Targets\\UPPER.EXE"];
for (var i = 0; i < gone.length; i++) file(gone[i]);

link(root + "\\broken.lnk", gone[0]);
link(root + "\\Sub Folder\\Deep Broken.lnk", gone[1]);
link(root + "\\home.lnk", gone[2], "%HOMEDRIVE%%HOMEPATH%");
link("C:\\NetHood\\net.lnk", gone[3]);
link("C:\\users\\Public\\Desktop\\Vostrel Gone.lnk", gone[4]);
link(root + "\\UPPER CASE.LNK", gone[5]);
link(root + "\\alive.lnk", "C:\\windows\\notepad.exe");
link(root + "\\folder.lnk", "C:\\windows");
text(root + "\\web.url", "[InternetShortcut]\r\nURL=http://example.invalid/\r\n");
text(root + "\\file.url", "[InternetShortcut]\r\nURL=file:///C:/VostrelLinks/Targets/url-gone.exe\r\n");
text(root + "\\not a link.lnk", "this is not a shell link");

for (var i = 0; i < gone.length; i++) fso.DeleteFile(gone[i]);
