; SPDX-License-Identifier: GPL-3.0-or-later
; The Windows installer: per machine, into Program Files, with a Start-menu entry and
; an uninstaller. /S installs silently. Build: makensis -DEXE=<moltiplix.exe> -DOUTFILE=<setup.exe>
; -DVERSION=<the project's version> -DICON=<moltiplix.ico>
; 64-bit like the game, so it also runs where only 64-bit Wine is installed.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"
!include "x64.nsh"

!define PRODUCT "Moltiplix"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Moltiplix"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
BrandingText "${PRODUCT} ${VERSION}"
!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Italian"

Function .onInit
    SetShellVarContext all
    SetRegView 64
FunctionEnd

Function un.onInit
    SetShellVarContext all
    SetRegView 64
FunctionEnd

Section "Moltiplix"
    SetOutPath "$INSTDIR"
    File "/oname=moltiplix.exe" "${EXE}"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\moltiplix.exe"

    ; The record shared by every player: a standard user can't write the Windows
    ; directory, so the game keeps it here, writable by all users.
    CreateDirectory "$APPDATA\${PRODUCT}"
    nsExec::Exec 'icacls "$APPDATA\${PRODUCT}" /grant *S-1-5-32-545:(OI)(CI)M'
    Pop $0
    ; A record kept in the Windows directory by an earlier game comes along once.
    ${If} ${FileExists} "$WINDIR\tavrec.txt"
    ${AndIfNot} ${FileExists} "$APPDATA\${PRODUCT}\tavrec.txt"
        CopyFiles /SILENT "$WINDIR\tavrec.txt" "$APPDATA\${PRODUCT}\tavrec.txt"
        ${If} ${FileExists} "$WINDIR\ntavrec.txt"
            CopyFiles /SILENT "$WINDIR\ntavrec.txt" "$APPDATA\${PRODUCT}\ntavrec.txt"
        ${EndIf}
    ${EndIf}

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Il team di Moltiplix"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\moltiplix.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

!macro RemoveRecord FOLDER
    Delete "${FOLDER}\tavrec.txt"
    Delete "${FOLDER}\ntavrec.txt"
    Delete "${FOLDER}\tavrec.lck"
    Delete "${FOLDER}\tavrec.commit"
    Delete "${FOLDER}\tavrec.txt.new"
    Delete "${FOLDER}\ntavrec.txt.new"
!macroend

; The record stays unless asked for: a Yes in the question, or /REMOVERECORD when silent.
Section "Uninstall"
    Delete "$INSTDIR\moltiplix.exe"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    Delete "$SMPROGRAMS\${PRODUCT}.lnk"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"

    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/REMOVERECORD" $1
    ${IfNot} ${Errors}
        StrCpy $2 "remove"
    ${Else}
        StrCpy $2 "keep"
        MessageBox MB_YESNO|MB_DEFBUTTON2|MB_ICONQUESTION \
            "Cancellare anche il record (punteggio migliore e nome)?" /SD IDNO IDNO +2
        StrCpy $2 "remove"
    ${EndIf}
    ; The game keeps the record in the Windows directory where it may write there, and a
    ; record left there would come back with the next install.
    ${If} $2 == "remove"
        !insertmacro RemoveRecord "$APPDATA\${PRODUCT}"
        RMDir "$APPDATA\${PRODUCT}"
        !insertmacro RemoveRecord "$WINDIR"
    ${EndIf}
SectionEnd
