#pragma once

// The preview window.
