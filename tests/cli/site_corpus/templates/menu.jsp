<%@ page contentType="text/html; charset=UTF-8" %>
<%@ taglib prefix="c" uri="http://java.sun.com/jsp/jstl/core" %>
<img src="${pageContext.request.contextPath}/img/menu.gif" usemap="#menu" alt="" width="120" height="300">
<map name="menu">
<c:forEach var="item" items="${menu}" varStatus="s">
  <area shape="rect" coords="0,${s.index * 30},120,${s.index * 30 + 30}" href="${item.url}" alt="${item.label}">
</c:forEach>
<area shape="rect" coords="0,270,120,300" href="help.jsp" alt="Help" target="help" target="_blank">
</map>
