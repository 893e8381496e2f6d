// Opening and saving come with the next step; until then their entries do nothing.
#include "form1.h"

void Form1::OPEN() {}
void Form1::LAYOUT(bool) {}
void Form1::BINSAVE() {}
void Form1::BMPSAVE() {}
void Form1::AUTO() {}
