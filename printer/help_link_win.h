#pragma once
// The help link of a status: a troubleshooting file of the installation ("TSF%03d" of the
// model's data file, when HTML files have a class) or a trouble resource of the resource
// library, whenever the data file names the status's help topic ("TSS%03d"). A decoded
// status carries where to look and finds its link when it is first asked for it; the
// monitor's status query never asks, so it never reads the data file for it.
#include "common/win.h"
#include "resources/vgres_ids.h"

// Kinds of help a status can carry.
constexpr int kHelpNone = 0;
constexpr int kHelpFile = 1;      // a troubleshooting file of the installation
constexpr int kHelpResource = 2;  // a trouble resource (RCDATA) of the resource library

// The trouble resources of the resource library: this id plus the record's help number.
constexpr int kTroubleResourceBase = IDR_TROUBLE_BASE;

struct HelpLink {
  int type = kHelpNone;
  char path[MAX_PATH] = {};
  // In the resource library: nothing to release, valid while the library stays loaded.
  HRSRC resource = nullptr;
};

// Where a status's help is looked for. An empty data file means no help.
struct HelpSource {
  char datFile[MAX_PATH] = {};
  char driverKey[MAX_PATH] = {};  // the Driver key whose "InstallPath" holds the files
  HMODULE resource = nullptr;     // the resource library; must stay loaded until the link is used
};

// Whether HTML files have a class: the key ".HTM" under HKEY_CLASSES_ROOT.
bool HtmlClassExists();

// The link of a help number (the HTML class is asked for at this moment).
HelpLink FindHelpLink(const HelpSource& source, int helpNo);
