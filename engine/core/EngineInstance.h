#pragma once

class CEngineApp;

// The engine's one object, made by xll_CAppForm; null before that. Both exported
// interfaces (xll_ and twx_) forward to it.
CEngineApp* engineInstance();
