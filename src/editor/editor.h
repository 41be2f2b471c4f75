#pragma once

// The main window.
