#pragma once
// Shows the application's error box as a modal message box: the application
// title as caption, an error icon and OK.

void InstallErrorBox();
