#pragma once

// The embedded document engine (model, file writer and reader, page renderer).
