#pragma once
// The report model and engine: objects, pages, the template stream, the
// bands of a run, the report component, the run-wide state, the
// function-library registry and prepared pages.

#include "RpBand.h"
#include "RpBandView.h"
#include "RpDictionary.h"
#include "RpEMFPages.h"
#include "RpFunctions.h"
#include "RpEngineUtils.h"
#include "RpLineView.h"
#include "RpMemoView.h"
#include "RpObject.h"
#include "RP_Prntr.h"
#include "RpPage.h"
#include "RpPictureView.h"
#include "RpReport.h"
#include "RpRunState.h"
#include "RpTemplateStream.h"
#include "RpViewFactory.h"
