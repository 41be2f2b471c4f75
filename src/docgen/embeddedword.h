#pragma once

// The embedded engine behind the automation boundary.
