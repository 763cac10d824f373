#pragma once
// The report model: objects, pages and the template stream.

#include "RpBandView.h"
#include "RpDictionary.h"
#include "RpEngineUtils.h"
#include "RpLineView.h"
#include "RpMemoView.h"
#include "RpObject.h"
#include "RP_Prntr.h"
#include "RpPage.h"
#include "RpPictureView.h"
#include "RpTemplateStream.h"
#include "RpViewFactory.h"
