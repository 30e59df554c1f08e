; The operator's installer: puts Stats.dll and Ext_zelta.exe into the Plugins folder
; of the host's folder, a sample region list and settings only where the operator
; has none, and the guide; registers an uninstaller that removes what it installed
; and leaves whatever the operator made or changed.
;   makensis -INPUTCHARSET UTF8 -DVERSION=X.Y.Z -DSTAGE=DIR -DOUTFILE=FILE zelta_trophy.nsi
; STAGE holds the files laid out as they go into the host's folder (scripts/package.sh).
; Silent: setup.exe /S /D=C:\host folder   and   uninstall.exe /S

Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestDPIAware true

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh

!define PRODUCT "ZELTA TROPHY"
!define PUBLISHER "ZELTA TROPHY contest committee"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\ZeltaTrophy"
; The installer's own folder inside Plugins: the guide and the uninstaller.
!define OWN_FOLDER "Plugins\zelta-trophy"
!define SAMPLES "${STAGE}/Plugins/zelta-trophy/examples"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
; An upgrade goes where the last installation went.
InstallDir "$PROGRAMFILES\Orvo"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

!define MUI_DIRECTORYPAGE_TEXT_TOP "$(DirectoryText)"
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE CheckHostFolder
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\${OWN_FOLDER}\$(GuideFile)"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The first language is the one shown where the system's language is neither.
!insertmacro MUI_LANGUAGE "Russian"
!insertmacro MUI_LANGUAGE "English"

LangString DirectoryText ${LANG_RUSSIAN} "Выберите папку программы-хоста: ту, в которой лежат сама программа и её папка Plugins. Stats.dll и Ext_zelta.exe будут установлены в Plugins."
LangString DirectoryText ${LANG_ENGLISH} "Choose the host program's folder: the one that holds the program and its Plugins folder. Stats.dll and Ext_zelta.exe go into Plugins."
LangString NoPluginsFolder ${LANG_RUSSIAN} "В папке $INSTDIR нет папки Plugins: похоже, это не папка программы-хоста.$\r$\nВсё равно установить сюда?"
LangString NoPluginsFolder ${LANG_ENGLISH} "$INSTDIR has no Plugins folder: it does not look like the host program's folder.$\r$\nInstall there anyway?"
LangString GuideFile ${LANG_RUSSIAN} "guide.ru.txt"
LangString GuideFile ${LANG_ENGLISH} "guide.en.txt"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "${PRODUCT} ${VERSION} setup: scoring plug-in and CW/SSB bar"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "${PUBLISHER}"

Function CheckHostFolder
  ${IfNot} ${FileExists} "$INSTDIR\Plugins\*.*"
    MessageBox MB_YESNO|MB_ICONEXCLAMATION "$(NoPluginsFolder)" /SD IDYES IDYES +2
    Abort
  ${EndIf}
FunctionEnd

Section "${PRODUCT}"
  ; The program files: replaced on every installation.
  SetOutPath "$INSTDIR\Plugins"
  File "${STAGE}/Plugins/Stats.dll"
  File "${STAGE}/Plugins/Ext_zelta.exe"
  ; The samples only where none exists: from then on they are the operator's.
  ${IfNot} ${FileExists} "$INSTDIR\Plugins\zelta.dom"
    File "${SAMPLES}/zelta.dom"
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "SampleRegionList" 1
  ${EndIf}
  ${IfNot} ${FileExists} "$INSTDIR\Plugins\QOLEB.ini"
    File "${SAMPLES}/QOLEB.ini"
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "SampleSettings" 1
  ${EndIf}

  SetOutPath "$INSTDIR\${OWN_FOLDER}"
  File "${STAGE}/Plugins/zelta-trophy/guide.ru.txt"
  File "${STAGE}/Plugins/zelta-trophy/guide.en.txt"
  WriteUninstaller "$INSTDIR\${OWN_FOLDER}\uninstall.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT} ${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${OWN_FOLDER}\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${OWN_FOLDER}\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR\${OWN_FOLDER}" "/S=0K" $0 $1 $2
  IntOp $0 $0 + 2048  ; the plug-in and the bar
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; un.SameBytes: $R0 = 1 when the files $R1 and $R2 hold the same bytes, else 0.
Function un.SameBytes
  StrCpy $R0 0
  ClearErrors
  FileOpen $R3 $R1 r
  IfErrors done
  FileOpen $R4 $R2 r
  IfErrors close_first
  FileSeek $R3 0 END $R5
  FileSeek $R4 0 END $R6
  StrCmp $R5 $R6 0 close_both
  FileSeek $R3 0 SET
  FileSeek $R4 0 SET
  next_byte:
    ClearErrors
    FileReadByte $R3 $R5
    IfErrors same  ; the end of both, as their lengths are equal
    FileReadByte $R4 $R6
    StrCmp $R5 $R6 next_byte close_both
  same:
  StrCpy $R0 1
  close_both:
  FileClose $R4
  close_first:
  FileClose $R3
  done:
FunctionEnd

; un.RemoveSample NAME REGVALUE: deletes Plugins\NAME if this installer put it there
; and it still holds the sample's bytes; an operator's edit keeps it.
!macro RemoveSample name regvalue
  ReadRegDWORD $0 HKLM "${UNINSTALL_KEY}" "${regvalue}"
  ${If} $0 = 1
    SetOutPath "$PLUGINSDIR"
    File "${SAMPLES}/${name}"
    StrCpy $R1 "$1\${name}"
    StrCpy $R2 "$PLUGINSDIR\${name}"
    Call un.SameBytes
    ${If} $R0 = 1
      Delete "$1\${name}"
    ${EndIf}
  ${EndIf}
!macroend

Section "Uninstall"
  ; The uninstaller lies in Plugins\zelta-trophy: $1 is the Plugins folder.
  ${GetParent} "$INSTDIR" $1
  InitPluginsDir
  Delete "$1\Stats.dll"
  Delete "$1\Ext_zelta.exe"
  !insertmacro RemoveSample zelta.dom SampleRegionList
  !insertmacro RemoveSample QOLEB.ini SampleSettings
  Delete "$INSTDIR\guide.ru.txt"
  Delete "$INSTDIR\guide.en.txt"
  Delete "$INSTDIR\uninstall.exe"
  SetOutPath "$TEMP"
  ; Only if empty: anything the operator put there stays.
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
