/* Ids of the dialog templates and of their controls, shared by the resource
   script and the code. Plain defines only: the resource compiler reads this
   file too. */
#pragma once

/* Templates. */
#define IDD_HEADER 101
#define IDD_EMISSION_SETUP 104

/* Controls of the Cabrillo header dialog (101). */
#define IDC_LOCATION 1000
#define IDC_SOAPBOX 1001
#define IDC_ADDRESS 1002
#define IDC_EMAIL 1004
#define IDC_CLUB 1005
#define IDC_OPERATORS 1006
#define IDC_NAME 1007
#define IDC_CLAIMED 1008
#define IDC_CONTEST 1009
#define IDC_CALLSIGN 1010
#define IDC_CATEGORY_OPERATOR 1013
#define IDC_CATEGORY_BAND 1015
#define IDC_CATEGORY_MODE 1016
#define IDC_CATEGORY_POWER 1017

/* Controls of the emission setup dialog (104). */
#define IDC_CW 1019
#define IDC_SSB 1020

/* OK and Cancel are the system's IDOK (1) and IDCANCEL (2); labels have no id. */
#define IDC_LABEL (-1)
