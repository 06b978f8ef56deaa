#pragma once
// Resource identifiers of the progress window (shared with Progress.rc).
#define IDD_PROGRESS 100
#define IDC_ARCHIVE 101
#define IDC_MEMBER 102
#define IDC_PROGRESS_BAR 103
