# filled in as the component lands
