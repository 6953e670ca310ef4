// The id of the dialog template that every skinned dialog is built on. The program
// supplies the template (a borderless pop-up: the skin gives size, shape and look);
// this header holds only the define, so resource scripts can include it.
#pragma once

#define IDD_SKIN_DIALOG 101
