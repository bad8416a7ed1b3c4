#pragma once
// A static text control of a dialog template, attached by the data exchange.
#include "platform/ui/wnd.h"

class CStatic : public CWnd {};
