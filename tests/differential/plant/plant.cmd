@echo off
rem ActiveX \ COM and its sub-section: HKCR\CLSID is HKLM\SOFTWARE\Classes\CLSID
reg add "HKCR\CLSID\{D1FF0001-0000-4000-8000-000000000001}\InprocServer32" /ve /t REG_SZ /d "C:\windows\system32\vostrel-gone.dll" /f >nul
reg add "HKCR\CLSID\{D1FF0001-0000-4000-8000-000000000001}\InprocServer32" /v "ThreadingModel" /t REG_SZ /d "Apartment" /f >nul
reg add "HKCR\CLSID\{D1FF0002-0000-4000-8000-000000000002}\InprocServer32" /ve /t REG_SZ /d "vostrel-bare.ocx" /f >nul
reg add "HKCR\CLSID\{D1FF0003-0000-4000-8000-000000000003}\LocalServer32" /ve /t REG_SZ /d "\"C:\Program Files\Gone App\gone.exe\"" /f >nul
reg add "HKCR\CLSID\{D1FF0004-0000-4000-8000-000000000004}\LocalServer32" /ve /t REG_SZ /d "C:\App\app.exe /Automation" /f >nul
reg add "HKCR\CLSID\{D1FF0005-0000-4000-8000-000000000005}\DefaultIcon" /ve /t REG_SZ /d "C:\App\app.exe,0" /f >nul
reg add "HKCR\CLSID\{D1FF0006-0000-4000-8000-000000000006}\InprocServer32" /ve /t REG_SZ /d "%%SystemRoot%%\vostrel-var.dll" /f >nul
reg add "HKCR\CLSID\{D1FF0007-0000-4000-8000-000000000007}\InprocServer32" /ve /t REG_EXPAND_SZ /d "%%SystemRoot%%\system32\vostrel-exp.dll" /f >nul
reg add "HKCR\CLSID\{D1FF0008-0000-4000-8000-000000000008}\InprocServer32" /ve /t REG_SZ /d "\\server\share\vostrel-unc.dll" /f >nul
reg add "HKCR\CLSID\{D1FF0009-0000-4000-8000-000000000009}\InprocServer32" /ve /t REG_SZ /d "%%ProgramFiles%%vostrel-joined.dll" /f >nul
reg add "HKCU\Software\Classes\CLSID\{D1FF0010-0000-4000-8000-000000000010}\InprocServer32" /ve /t REG_SZ /d "C:\UserClasses\vostrel-user.dll" /f >nul
rem Application Paths
reg add "HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\vostrel-gone.exe" /ve /t REG_SZ /d "C:\Program Files\Gone\gone.exe" /f >nul
reg add "HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\vostrel-gone.exe" /v "Path" /t REG_SZ /d "C:\Program Files\Gone" /f >nul
reg add "HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\vostrel-quoted.exe" /ve /t REG_SZ /d "\"C:\Program Files\Gone\quoted.exe\"" /f >nul
reg add "HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\vostrel-bare.exe" /ve /t REG_SZ /d "vostrel-bare-tool.exe" /f >nul
reg add "HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\Trailing Blank.exe " /ve /t REG_SZ /d "C:\Gone\trailing.exe  " /f >nul
reg add "HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\MiXeD CaSe.EXE" /ve /t REG_SZ /d "c:\GONE\MiXeD.Exe" /f >nul
reg add "HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\vostrel-args.exe" /ve /t REG_SZ /d "C:\Gone\args.exe /s" /f >nul
reg add "HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\vostrel-long" /v "a" /t REG_SZ /d "C:\Gone\a.exe" /f >nul
reg add "HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\vostrel-long" /v "b" /t REG_SZ /d "C:\Gone\b.exe" /f >nul
reg add "HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\vostrel-long" /v "c" /t REG_SZ /d "C:\Gone\xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx.exe" /f >nul
reg add "HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\vostrel-long" /v "d" /t REG_SZ /d "C:\Gone\d.exe" /f >nul
reg add "HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\vostrel-long\sub" /ve /t REG_SZ /d "C:\Gone\sub.exe" /f >nul
reg add "HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\vostrel-dword" /v "Num" /t REG_DWORD /d "4294967295" /f >nul
reg add "HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\vostrel-multi" /ve /t REG_MULTI_SZ /d "C:\Gone\multi.exe\0C:\Gone\second.exe" /f >nul
reg add "HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\vostrel-alive.exe" /ve /t REG_SZ /d "C:\windows\notepad.exe" /f >nul
rem Help Files
reg add "HKLM\SOFTWARE\Microsoft\Windows\Help" /v "vostrel-gone.hlp" /t REG_SZ /d "C:\Gone" /f >nul
reg add "HKLM\SOFTWARE\Microsoft\Windows\HTML Help" /v vostrel-gone.chm /d C:\Gone\ /f >nul
rem Microsoft Shared
reg add "HKLM\SOFTWARE\Microsoft\Shared Tools\Vostrel Gone" /v "Closed" /t REG_SZ /d "\"C:\Shared\vostrel-closed.dll\"" /f >nul
reg add "HKLM\SOFTWARE\Microsoft\Shared Tools\Vostrel Gone" /v "Bare" /t REG_SZ /d "vostrel-gonelib.dll" /f >nul
reg add "HKLM\SOFTWARE\Microsoft\Shared Tools\Vostrel Gone" /v "Wild" /t REG_SZ /d "vostrel*.dll" /f >nul
rem Windows Startup: only the values of sub-keys of Run are examined
reg add "HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Run" /v "VostrelDirect" /t REG_SZ /d "C:\Gone\direct.exe" /f >nul
reg add "HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Run\Vostrel" /v "Gone" /t REG_SZ /d "C:\Program Files\App\app.exe -min" /f >nul
reg add "HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Run\Vostrel" /v "Rundll" /t REG_SZ /d "rundll32.exe vostrel-gone32.dll,Control_RunDLL" /f >nul
reg add "HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Run\Vostrel" /v "Env" /t REG_SZ /d "%%SystemRoot%%\system32\vostrel-env.exe" /f >nul
reg add "HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\MenuOrder\Start Menu\Programs\Vostrel" /v "Order" /t REG_SZ /d "C:\Gone\menu.exe" /f >nul
rem Uninstall Section
reg add "HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\VostrelGone" /v "DisplayName" /t REG_SZ /d "Vostrel Gone" /f >nul
reg add "HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\VostrelGone" /v "UninstallString" /t REG_SZ /d "C:\App 1.0\uninst.exe" /f >nul
reg add "HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\VostrelGone" /v "DisplayIcon" /t REG_SZ /d "C:\Gone\app.exe,0" /f >nul
reg add "HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\VostrelGone" /v "QuietUninstallString" /t REG_SZ /d "MsiExec.exe /X{0}" /f >nul
reg add "HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\VostrelGone" /v "InstallSource" /t REG_SZ /d "\\server\share\setup" /f >nul
reg add "HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\VostrelGone" /v "ModifyPath" /t REG_SZ /d "http://example.invalid/modify" /f >nul
reg add "HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\VostrelTwo" /v "UninstallString" /t REG_SZ /d "C:\Windows\vostrel-two.exe C:\Data\vostrel-two.ini" /f >nul
reg add "HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\VostrelTwo" /v "QuietUninstallString" /t REG_SZ /d "C:\App\unins000.exe /SILENT" /f >nul
rem VxD Section
reg add "HKLM\SYSTEM\CurrentControlSet\Control\VirtualDeviceDrivers" /v "vostrel" /t REG_SZ /d "vostrel-gone.vxd" /f >nul
reg add "HKLM\SYSTEM\CurrentControlSet\Control\VirtualDeviceDrivers" /v "vmm" /t REG_SZ /d "*vmm" /f >nul
rem Windows Fonts
reg add "HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Fonts" /v "Vostrel Gone (TrueType)" /t REG_SZ /d "vostrel-gone.ttf" /f >nul
reg add "HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Fonts" /v "Vostrel Path (TrueType)" /t REG_SZ /d "C:\Fonts\vostrel-gone.ttf" /f >nul
rem Texts through the ANSI code page, and a value that opens a quote without closing it
reg import C:\vostrel-plant\ansi.reg >nul 2>nul
