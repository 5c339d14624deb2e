var s = "Grüße";
