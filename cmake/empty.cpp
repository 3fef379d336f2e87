// SPDX-License-Identifier: GPL-3.0-or-later
// Placeholder so that a library without sources yet still builds.
