#pragma once

// The whole widget toolkit in one include.
#include "gui/animation.h"
#include "gui/canimknob.h"
#include "gui/cbitmap.h"
#include "gui/cdatabrowser.h"
#include "gui/cdrawcontext.h"
#include "gui/cfont.h"
#include "gui/cframe.h"
#include "gui/ckickbutton.h"
#include "gui/ctextlabel.h"
#include "gui/cview.h"
#include "gui/cviewcontainer.h"
#include "gui/genericstringlistdatabrowsersource.h"
#include "gui/resourceregistry.h"
