// XmlMessage is declared beside its twin XmlObject.
#include "orv/core/xml/XmlObject.h"
