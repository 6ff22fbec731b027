@echo off
rem Shows a panel configuration live in the web browser: the panel.cfg
rem dropped on this file, or without one the Corvane's panel of the archive
rem (..\Panel\panel.cfg). panelhost.exe serves it until this window is
rem closed or Ctrl+C is pressed in it.
setlocal
set "tools=%~dp0"
set "panel=%~1"
if "%panel%"=="" set "panel=%tools%..\Panel\panel.cfg"
set "address=http://127.0.0.1:8417/"
rem The browser a moment later, once the panel is served.
start "" /b cmd /c "timeout /t 2 /nobreak >nul & start %address%"
"%tools%panelhost.exe" serve "%panel%" --port 8417
if errorlevel 1 pause
