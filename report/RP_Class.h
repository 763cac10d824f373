#pragma once
// The report model: objects, pages, the template stream and prepared pages.

#include "RpBandView.h"
#include "RpDictionary.h"
#include "RpEMFPages.h"
#include "RpEngineUtils.h"
#include "RpLineView.h"
#include "RpMemoView.h"
#include "RpObject.h"
#include "RP_Prntr.h"
#include "RpPage.h"
#include "RpPictureView.h"
#include "RpTemplateStream.h"
#include "RpViewFactory.h"
