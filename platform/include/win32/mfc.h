// Names of the application framework's classes that appear in the engine's
// exported signatures. The engine never dereferences them.
#pragma once

class CView;
class CObject;
