<?php
// Site header, included by every page.
$base = '/';
?>
<div id="header">
<img src="<?php echo $base; ?>images/header.gif" usemap="#header-map" alt="Riverside Garden Club" width="760" height="90">
<map name="header-map">
  <area shape="rect" coords="0,0,200,90" href="<?php echo $base; ?>index.php" alt="Home">
  <area shape="rect" coords="600,60,680,90" href="<?php echo $base; ?>login.php" alt="<?= _('Log in') ?>">
  <area shape="rect" coords="680,60,760,90" href="<?php echo $base; ?>join.php">
</map>
</div>
