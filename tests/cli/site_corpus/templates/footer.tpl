<div class="footer">
<img src="{{ static_url }}/footer.png" usemap="#social" alt="Follow us">
<map name="social">
<area shape="circle" coords="20,20,16" href="https://social.example/garden" alt="Social">
<area shape="circle" coords="60,20,16" href="/feed.xml" aria-label="News feed">
</map>
</div>
